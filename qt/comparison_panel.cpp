#include "qt/comparison_panel.h"

#include <QClipboard>
#include <QColor>
#include <QHBoxLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/comparison.h"

#ifdef TAMBRA_HAVE_CHARTS
#include <QChart>
#include <QChartView>
#include <QLegend>
#include <QLineSeries>
#include <QPainter>
#include <QValueAxis>
#endif

namespace tambra {

namespace {

QColor ColourOf(Rgb rgb) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | rgb)); }

QString Number(double value) { return QString::number(value, 'g', 6); }

QString YesNo(bool value) { return value ? QStringLiteral("yes") : QStringLiteral("no"); }

enum Column { kMethod, kDegree, kMax, kRms, kC0, kC1, kC2, kNote, kColumns };

}  // namespace

ComparisonPanel::ComparisonPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("comparison-panel"));
  auto* layout = new QVBoxLayout(this);
  heading_ = new QLabel(this);
  heading_->setWordWrap(true);
  layout->addWidget(heading_);

  auto* stale = new QHBoxLayout;
  outOfDate_ = new QLabel(this);
  outOfDate_->setObjectName(QStringLiteral("out-of-date"));
  outOfDate_->setWordWrap(true);
  outOfDate_->setStyleSheet(QStringLiteral("color: #b00000"));
  runAgain_ = new QPushButton(tr("Run again"), this);
  runAgain_->setObjectName(QStringLiteral("run-again"));
  stale->addWidget(outOfDate_, 1);
  stale->addWidget(runAgain_);
  layout->addLayout(stale);
  outOfDate_->hide();
  runAgain_->hide();

  table_ = new QTableWidget(0, kColumns, this);
  table_->setHorizontalHeaderLabels({tr("Method"), tr("New degree"), tr("Max deviation (px)"),
                                     tr("RMS deviation (px)"), tr("C0"), tr("C1"), tr("C2"),
                                     tr("Note")});
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  table_->setWordWrap(true);
  table_->setMinimumHeight(100);
  layout->addWidget(table_, 2);

#ifdef TAMBRA_HAVE_CHARTS
  plot_ = new QChartView(new QChart, this);
  // Small enough that the dock fits beside the canvas on a small screen.
  plot_->setMinimumHeight(140);
  layout->addWidget(plot_, 3);
#else
  layout->addWidget(new QLabel(tr("The plot needs Qt Charts, which this build lacks."), this));
#endif

  auto* note = new QLabel(
      tr("C0: both end points kept. C1, C2: also the directions of the first, second "
         "derivatives at both ends. RMS over the same %1 parameters as the maximum.")
          .arg(kComparisonSamples + 1),
      this);
  note->setWordWrap(true);
  layout->addWidget(note);

  copy_ = new QPushButton(tr("Copy as CSV"), this);
  copy_->setObjectName(QStringLiteral("copy-csv"));
  connect(copy_, &QPushButton::clicked, this, [this] { QGuiApplication::clipboard()->setText(csv_); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(copy_);
  layout->addLayout(buttons);
}

void ComparisonPanel::ShowOutOfDate(const QString& reason) {
  outOfDate_->setText(tr("Out of date: %1").arg(reason));
  outOfDate_->show();
  runAgain_->show();
}

bool ComparisonPanel::OutOfDate() const { return !outOfDate_->isHidden(); }

void ComparisonPanel::ShowComparison(const Comparison& comparison) {
  setWindowTitle(QString::fromStdString(comparison.title));
  command_ = comparison.command;
  outOfDate_->hide();
  runAgain_->hide();
  heading_->setText(tr("The curve of %1 control points against each method's result; the "
                       "canvas shows the curve in black and each result in its colour.")
                        .arg(comparison.curvePoints));
  csv_ = QString::fromStdString(ComparisonCsv(comparison));
  table_->setRowCount(static_cast<int>(comparison.methods.size()));
  int row = 0;
  for (const ComparedMethod& method : comparison.methods) {
    auto set = [&](int column, const QString& text) {
      table_->setItem(row, column, new QTableWidgetItem(text));
    };
    QPixmap swatch(12, 12);
    swatch.fill(ColourOf(method.colour));
    table_->setItem(row, kMethod,
                    new QTableWidgetItem(QIcon(swatch), QString::fromStdString(method.name)));
    const bool ran = method.refusal.empty();
    set(kDegree, ran ? QString::number(method.degree) : QString());
    set(kMax, ran ? Number(method.maxDeviation) : QString());
    set(kRms, ran ? Number(method.rmsDeviation) : QString());
    set(kC0, ran ? YesNo(method.keepsC0) : QString());
    set(kC1, ran ? YesNo(method.keepsC1) : QString());
    set(kC2, ran ? YesNo(method.keepsC2) : QString());
    set(kNote, QString::fromStdString(method.refusal));
    table_->item(row, kNote)->setToolTip(QString::fromStdString(method.refusal));
    ++row;
  }
  table_->resizeColumnsToContents();
  ShowPlot(comparison);
  // A reason wraps within the width the note column has.
  table_->resizeRowsToContents();
}

void ComparisonPanel::ShowPlot([[maybe_unused]] const Comparison& comparison) {
#ifdef TAMBRA_HAVE_CHARTS
  // A new chart, filled before it is shown, costs a fraction of changing
  // the shown one series by series.
  auto* chart = new QChart;
  auto* t = new QValueAxis;
  t->setTitleText(tr("t (curve parameter)"));
  t->setRange(0.0, 1.0);
  t->setTickCount(6);
  t->setLabelFormat(QStringLiteral("%.1f"));
  auto* deviation = new QValueAxis;
  deviation->setTitleText(tr("|C(t) - R(t)| (px)"));
  chart->addAxis(t, Qt::AlignBottom);
  chart->addAxis(deviation, Qt::AlignLeft);
  double largest = 0.0;
  for (const ComparedMethod& method : comparison.methods) {
    if (method.deviation.empty()) continue;  // refused: nothing to plot
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(method.deviation.size()));
    const double last = static_cast<double>(method.deviation.size() - 1);
    for (std::size_t i = 0; i < method.deviation.size(); ++i) {
      points.append(QPointF(static_cast<double>(i) / last, method.deviation[i]));
    }
    auto* series = new QLineSeries;
    series->setName(QString::fromStdString(method.name));
    series->setPen(QPen(ColourOf(method.colour), 2));
    series->replace(points);
    chart->addSeries(series);
    series->attachAxis(t);
    series->attachAxis(deviation);
    largest = std::max(largest, method.maxDeviation);
  }
  deviation->setRange(0.0, largest > 0.0 ? largest * 1.05 : 1.0);
  deviation->applyNiceNumbers();
  chart->setTitle(tr("Deviation over the parameter"));
  chart->legend()->setAlignment(Qt::AlignRight);
  auto* view = static_cast<QChartView*>(plot_);
  QChart* shown = view->chart();
  view->setChart(chart);  // releases the one shown, without deleting it
  delete shown;
#endif
}

}  // namespace tambra
