// The panel of a comparison (base/comparison.h): a table of the methods, a
// plot of their deviation over the parameter, each in the colour its curve
// has on the canvas, and a button that copies the table as CSV. It stays
// open beside the window while the user goes on; the next comparison
// replaces what it shows.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QTableWidget;
class QPushButton;

namespace tambra {

struct Comparison;

class ComparisonPanel : public QDialog {
  Q_OBJECT

 public:
  explicit ComparisonPanel(QWidget* parent);

  void ShowComparison(const Comparison& comparison);
  // The table as the copy button puts it on the clipboard.
  const QString& Csv() const { return csv_; }
  QTableWidget* Table() const { return table_; }
  // The plot (a chart view), or null without Qt Charts.
  QWidget* Plot() const { return plot_; }

 private:
  void ShowPlot(const Comparison& comparison);

  QLabel* heading_ = nullptr;
  QTableWidget* table_ = nullptr;
  QWidget* plot_ = nullptr;
  QPushButton* copy_ = nullptr;
  QString csv_;
};

}  // namespace tambra
