// Platform-neutral window messages. Mouse positions travel packed as the
// window system packs them: x in the low and y in the high 16 bits,
// both read back unsigned.
#pragma once

#include <cstdint>

namespace tambra {

enum class MessageKind {
  kCreate,
  kSize,
  kPaint,
  kLeftDown,
  kLeftUp,
  kRightDown,
  kRightUp,
  kMouseMove,
  kCommand,
  kDestroy,
  // The view: a wheel turn (wParam the signed steps, lParam the packed
  // position) and a pan (wParam and lParam the signed raster offsets).
  kWheel,
  kPan,
  // Ctrl + wheel: the curvature comb's scale, wParam the signed steps.
  kCombScale,
};

// Button and key flags carried by mouse messages.
inline constexpr std::uint32_t kLeftButtonFlag = 0x0001;
inline constexpr std::uint32_t kRightButtonFlag = 0x0002;
inline constexpr std::uint32_t kShiftFlag = 0x0004;
inline constexpr std::uint32_t kControlFlag = 0x0008;
inline constexpr std::uint32_t kMiddleButtonFlag = 0x0010;

struct Message {
  MessageKind kind;
  std::uint32_t wParam = 0;  // button flags, or the command id
  std::uint32_t lParam = 0;  // packed position, or packed client size
};

inline std::uint32_t PackLowHigh(int low, int high) {
  return (static_cast<std::uint32_t>(low) & 0xFFFFu) |
         ((static_cast<std::uint32_t>(high) & 0xFFFFu) << 16);
}

inline Message SizeMessage(int width, int height) {
  return Message{MessageKind::kSize, 0, PackLowHigh(width, height)};
}
inline Message MouseMessage(MessageKind kind, int x, int y, std::uint32_t flags = 0) {
  return Message{kind, flags, PackLowHigh(x, y)};
}
inline Message WheelMessage(int x, int y, int steps) {
  return Message{MessageKind::kWheel, static_cast<std::uint32_t>(steps), PackLowHigh(x, y)};
}
inline Message PanMessage(int dx, int dy) {
  return Message{MessageKind::kPan, static_cast<std::uint32_t>(dx), static_cast<std::uint32_t>(dy)};
}
inline Message CommandMessage(int id) {
  return Message{MessageKind::kCommand, static_cast<std::uint32_t>(id), 0};
}

}  // namespace tambra
