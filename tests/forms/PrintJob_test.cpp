// Printing a message to a PDF file and reading the file back with poppler's
// pdftotext and pdfinfo.
#include "forms/PrintJob.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <string>
#include <vector>

#include "support/LogFiles.h"
#include "support/OffscreenApp.h"
#include "text/Cp932.h"

namespace zu {
namespace {

std::string Sjis(const QString& text) {
  std::string bytes;
  EXPECT_TRUE(ToCp932(text, bytes)) << text.toStdString();
  return bytes;
}

QString RunTool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  EXPECT_TRUE(process.waitForFinished(30000)) << program.toStdString();
  EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

QString WithoutBlanks(QString text) {
  text.removeIf([](QChar c) { return c.isSpace(); });  // the ideographic space too
  return text;
}

int PageCount(const QString& pdf) {
  const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
  const QRegularExpressionMatch m = pages.match(RunTool(QStringLiteral("pdfinfo"), {pdf}));
  return m.hasMatch() ? m.captured(1).toInt() : -1;
}

PrintMessage SampleMessage(int bodyLines) {
  PrintMessage msg;
  msg.Title = Sjis(QStringLiteral("オフ会のお知らせ"));
  msg.Number = 1234;
  msg.SenderName = Sjis(QStringLiteral("山田　花子      "));
  msg.SenderID = "GHB01234";
  msg.Date = "96/05/17";
  msg.Time = "21:05";
  for (int i = 1; i <= bodyLines; ++i) {
    msg.Body.push_back(Sjis(QStringLiteral("本文%1行目：来週の土曜日に集まります。").arg(i)));
  }
  return msg;
}

class PrintJobTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureOffscreenApplication(); }

  // A PDF printer on A4 with 10 mm margins at `dpi`.
  void SetUpPrinter(QPrinter& printer, int dpi, const std::string& file) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setResolution(dpi);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
    printer.setOutputFileName(QString::fromStdString(dir_.Path(file)));
  }

  testing::TempDir dir_;
};

TEST_F(PrintJobTest, MeasuresFollowThePrinterResolution) {
  struct Row {
    int dpi;
    int lineHeight;  // 9 points at dpi, plus 5
  };
  const Row rows[] = {
      {600, 80},   // 75 + 5
      {300, 43},   // 37.5 rounds to 38
      {1200, 155},
      {72, 14},
  };
  for (const Row& row : rows) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer, row.dpi, "measure.pdf");
    const PrintMeasures m = MeasurePrint(PrintFont(), printer);
    const QRect area = printer.pageLayout().paintRectPixels(row.dpi);
    EXPECT_EQ(m.lineHeight, row.lineHeight) << row.dpi;
    // A fixed-pitch Japanese face: "A" takes half the em.
    const double halfEm = (row.lineHeight - 5) / 2.0;
    EXPECT_NEAR(m.charWidth, halfEm, 1.0) << row.dpi;
    EXPECT_EQ(m.columns, (area.width() - 30) / m.charWidth) << row.dpi;
    EXPECT_EQ(m.bottom, area.height() - 3 * m.lineHeight) << row.dpi;
  }
  // A4 less 20 mm is 190 mm = 4488 pixels at 600 dpi: (4488 - 30) / 37 or 38.
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer, 600, "measure.pdf");
  const PrintMeasures m = MeasurePrint(PrintFont(), printer);
  EXPECT_TRUE(m.columns == 4458 / 37 || m.columns == 4458 / 38) << m.columns;
  // At 72 dpi a point is a pixel: a page as wide as 100 characters and the
  // 30 pixels kept free holds all 100.
  QPrinter narrow(QPrinter::HighResolution);
  SetUpPrinter(narrow, 72, "narrow.pdf");
  const int32_t width = 30 + 100 * MeasurePrint(PrintFont(), narrow).charWidth;
  narrow.setPageLayout(QPageLayout(QPageSize(QSizeF(width, 800), QPageSize::Point, QString(), QPageSize::ExactMatch),
                                   QPageLayout::Portrait, QMarginsF(), QPageLayout::Point));
  ASSERT_EQ(narrow.pageLayout().paintRectPixels(72).width(), width);
  EXPECT_EQ(MeasurePrint(PrintFont(), narrow).columns, 100);
}

TEST_F(PrintJobTest, PrintFontIsAFixedPitchJapaneseFace) {
  const QFont font = PrintFont();
  EXPECT_TRUE(font.fixedPitch());
  EXPECT_EQ(font.pointSizeF(), 9.0);
  const QFontMetrics metrics(font);
  EXPECT_TRUE(metrics.inFont(QChar(0x767A)));  // 発
  EXPECT_TRUE(metrics.inFont(QChar(0xFF76)));  // half-width ｶ
  EXPECT_EQ(metrics.horizontalAdvance(QStringLiteral("AAAA")),
            metrics.horizontalAdvance(QStringLiteral("iiii")));
}

TEST_F(PrintJobTest, ShortMessagePrintsHeadAndBodyOnOnePage) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer, 600, "short.pdf");
  PrintMessage msg = SampleMessage(3);
  msg.Body.insert(msg.Body.begin() + 1, "");  // a blank line takes no line
  msg.Body.push_back("\tTabbed <b>not bold</b> & more");
  ASSERT_TRUE(PrintMessageOn(printer, msg));

  const QString pdf = QString::fromStdString(dir_.Path("short.pdf"));
  EXPECT_EQ(PageCount(pdf), 1);
  const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  // pdftotext does not keep runs of blanks as drawn, so lines are compared without them.
  QStringList lines = text.split(QLatin1Char('\n'));
  for (QString& line : lines) line = WithoutBlanks(line);
  const QString expected[] = {
      QStringLiteral("/----- オフ会のお知らせ -----/  [ZU_Kirdo for Windows95 Ver2.0]"),
      QStringLiteral("_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/"),
      QStringLiteral("*発言番号=1234"),
      QStringLiteral("*発信者名=山田　花子"),
      QStringLiteral("*発信者ID=GHB01234"),
      QStringLiteral("*発信時間=96/05/17  21:05"),
      QStringLiteral("_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/_/"),
      QStringLiteral("本文1行目：来週の土曜日に集まります。"),
      QStringLiteral("本文2行目：来週の土曜日に集まります。"),
      QStringLiteral("本文3行目：来週の土曜日に集まります。"),
      QStringLiteral("Tabbed <b>not bold</b> & more"),
  };
  // Each drawn line shows up in order, on a line of its own.
  qsizetype at = 0;
  for (const QString& want : expected) {
    while (at < lines.size() && lines[at] != WithoutBlanks(want)) ++at;
    EXPECT_LT(at, lines.size()) << "missing or out of order: " << want.toStdString() << "\n"
                                << text.toStdString();
  }
  EXPECT_EQ(RunTool(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("オフ会のお知らせ")), true)
      << "the job is listed under the message's title";
}

TEST_F(PrintJobTest, LinesStandOneLineHeightApartFromTheTopOfTheText) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer, 600, "bbox.pdf");
  PrintMessage msg = SampleMessage(0);
  msg.Body = {"line12", "line13"};
  ASSERT_TRUE(PrintMessageOn(printer, msg));
  const QString html = RunTool(QStringLiteral("pdftotext"),
                           {QStringLiteral("-bbox"), QString::fromStdString(dir_.Path("bbox.pdf")),
                            QStringLiteral("-")});
  // yMin of a word, in points from the page's top.
  auto top = [&](const QString& word) {
    const QRegularExpression re(QStringLiteral("yMin=\"([0-9.]+)\"[^>]*>%1<").arg(word));
    const QRegularExpressionMatch m = re.match(html);
    EXPECT_TRUE(m.hasMatch()) << word.toStdString();
    return m.captured(1).toDouble();
  };
  const double lineHeightPt = 80 * 72.0 / 600;  // LH = 80 device pixels
  EXPECT_NEAR(top(QStringLiteral("line13")) - top(QStringLiteral("line12")), lineHeightPt, 0.2);
  EXPECT_NEAR(top(QStringLiteral("line12")) - top(QStringLiteral("\\*発言番号=1234")),
              7 * lineHeightPt, 0.2);
  // Line 12 has its top at 12 x LH below the printable area's top (10 mm
  // margin); the face's box starts at most a little above its em box.
  const double marginPt = 10 * 72.0 / 25.4;
  EXPECT_NEAR(top(QStringLiteral("line12")), marginPt + 12 * lineHeightPt, 1.5);
}

TEST_F(PrintJobTest, LongBodyRunsOnToFurtherPagesEachWithTheBanner) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer, 600, "long.pdf");
  PrintMessage msg = SampleMessage(150);
  // One line far wider than the page: cut into pieces, nothing lost off the edge.
  QString wide;
  for (int i = 0; i < 20; ++i) wide += QStringLiteral("長い行%1番目、").arg(i, 2, 10, QLatin1Char('0'));
  msg.Body.push_back(Sjis(wide));
  ASSERT_TRUE(PrintMessageOn(printer, msg));

  const PrintMeasures m = MeasurePrint(PrintFont(), printer);
  const std::vector<PrintLine> layout = LayoutPrintJob(msg, m.columns, m.lineHeight, m.bottom);
  const QString pdf = QString::fromStdString(dir_.Path("long.pdf"));
  const int pages = PageCount(pdf);
  EXPECT_GT(pages, 1);
  EXPECT_EQ(pages, layout.back().page);

  const QString text = RunTool(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  EXPECT_EQ(text.count(QStringLiteral("/----- オフ会のお知らせ -----/")), pages);
  EXPECT_EQ(text.count(QStringLiteral("*発言番号=")), 1);
  for (int i : {1, 75, 150}) {
    EXPECT_TRUE(text.contains(QStringLiteral("本文%1行目：").arg(i))) << i;
  }
  const QString joined = WithoutBlanks(text);
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(joined.contains(QStringLiteral("長い行%1番目").arg(i, 2, 10, QLatin1Char('0')))) << i;
  }
}

TEST_F(PrintJobTest, PrinterThatCannotOpenGivesFalse) {
  QPrinter printer(QPrinter::HighResolution);
  SetUpPrinter(printer, 600, "unused.pdf");
  printer.setOutputFileName(QString::fromStdString(dir_.Path("no/such/folder/x.pdf")));
  EXPECT_FALSE(PrintMessageOn(printer, SampleMessage(1)));
}

}  // namespace
}  // namespace zu
