// The panel of a comparison (base/comparison.h), the widget of a dock beside
// the canvas: a table of the methods, a plot of their deviation over the
// parameter, each in the colour its curve has on the canvas, and a button
// that copies the table as CSV. It stays while the user goes on; the next
// comparison replaces what it shows, and one that cannot follow a change of
// the curve says it is out of date, with a button that runs it again.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QTableWidget;
class QPushButton;

namespace tambra {

struct Comparison;

class ComparisonPanel : public QWidget {
  Q_OBJECT

 public:
  explicit ComparisonPanel(QWidget* parent);

  void ShowComparison(const Comparison& comparison);
  // Keeps the table, marked out of date for `reason`, with the button that
  // runs the comparison again.
  void ShowOutOfDate(const QString& reason);
  bool OutOfDate() const;
  // The menu command of the comparison shown (0 before any).
  int Command() const { return command_; }
  QPushButton* RunAgainButton() const { return runAgain_; }
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
  QLabel* outOfDate_ = nullptr;
  QPushButton* runAgain_ = nullptr;
  QString csv_;
  int command_ = 0;
};

}  // namespace tambra
