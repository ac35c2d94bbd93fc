#include "app/export_commands.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "app/menu_tree.h"
#include "base/atomic_file.h"
#include "base/model_state.h"
#include "base/picture_export.h"

namespace tambra {

namespace {

std::string LowerExtension(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// The model file's name with the picture's extension: "bicubic.png".
void StartingName(char (&name)[kMaxFileName]) {
  std::filesystem::path path = Model().controlFileName;
  path.replace_extension(".png");
  const std::string text = path.filename().string();
  std::strncpy(name, text.c_str(), kMaxFileName - 1);
  name[kMaxFileName - 1] = '\0';
}

}  // namespace

std::string PictureFor(const Raster& canvas, const std::string& name, std::string& why) {
  if (canvas.width() <= 0 || canvas.height() <= 0) {
    why = "Export picture needs a canvas; the window shows none";
    return "";
  }
  const std::string extension = LowerExtension(name);
  if (extension == ".svg") return EncodeSvg(canvas, CommandName);
  if (extension == ".png") return EncodePng(canvas);
  why = "Export picture writes .png or .svg files; \"" + name + "\" is neither";
  return "";
}

void ExportPicture(Platform& window) {
  Model().acceptRelease = 0;
  char name[kMaxFileName];
  StartingName(name);
  const FilePrompt prompt{"Export Picture", "Picture (*.png *.svg)", "*.png *.svg", "png", true};
  if (!window.AskFileName(prompt, name)) return;
  std::string path = name;
  // A name without an extension gets the one the prompt offers first.
  if (LowerExtension(path).empty()) path += ".png";
  std::string why;
  const std::string picture = PictureFor(window.Canvas(), path, why);
  if (picture.empty()) {
    window.ShowStatus(why.c_str());
    return;
  }
  FileWriteFailure failure;
  if (!WriteFileAtomically(path, picture, failure)) {
    const std::string message = "Cannot write \"" + path + "\": " + failure.reason;
    window.ReportError(message.c_str());
    window.ShowStatus(message.c_str());
    return;
  }
  const std::string done = "Exported \"" + path + "\" (" + std::to_string(window.Canvas().width()) +
                           " x " + std::to_string(window.Canvas().height()) + " pixels)";
  window.ShowStatus(done.c_str());
}

}  // namespace tambra
