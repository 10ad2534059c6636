// The About box, driven offscreen.
#include "forms/Unit3.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <functional>

#include "support/OffscreenApp.h"

namespace zu {
namespace {

class AboutBoxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::EnsureOffscreenApplication(); }

  template <typename W>
  W* Child(const char* name) {
    W* w = box_.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QPushButton* Ok() { return Child<QPushButton>("Btn_OK"); }

  TFrm_Info box_;
};

TEST_F(AboutBoxTest, ShowsTheProgramNameVersionAndDate) {
  struct Row {
    const char* name;
    QString text;
    QPoint at;
  };
  const Row rows[] = {
      {"Label1", QStringLiteral("ZU_Kirdo for Windows95"), {32, 16}},
      {"Label2", QStringLiteral("Ver 2.00"), {56, 40}},
      {"Label3", QStringLiteral("1998.3.19"), {112, 40}},
      {"Label4", QStringLiteral("有志一同"), {120, 56}},  // within the bevel
  };
  box_.show();
  for (const Row& row : rows) {
    QLabel* label = Child<QLabel>(row.name);
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(), row.text) << row.name;
    // At its place, or moved left only as far as its frame needs.
    EXPECT_EQ(label->y(), row.at.y()) << row.name;
    EXPECT_LE(label->x(), row.at.x()) << row.name;
    EXPECT_TRUE(Child<QFrame>("Bevel1")->geometry().adjusted(2, 0, -2, 0).contains(label->geometry()))
        << row.name << " " << label->geometry().right();
    EXPECT_EQ(label->textFormat(), Qt::PlainText) << row.name;
    // Sized to the text in the box's own face, so no text is clipped.
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(row.text)) << row.name;
    EXPECT_LE(label->width(), label->fontMetrics().horizontalAdvance(row.text) + 4) << row.name;
  }
  EXPECT_EQ(box_.windowTitle(), QStringLiteral("情報"));
  EXPECT_EQ(box_.size(), QSize(186, 116));
  EXPECT_EQ(box_.minimumSize(), box_.maximumSize());
  EXPECT_EQ(Ok()->text(), QStringLiteral("OK"));
  EXPECT_EQ(Ok()->geometry(), QRect(56, 88, 75, 25));
  auto* bevel = Child<QFrame>("Bevel1");
  ASSERT_NE(bevel, nullptr);
  EXPECT_EQ(bevel->geometry(), QRect(8, 8, 169, 73));
  for (const Row& row : rows) {
    EXPECT_TRUE(bevel->geometry().contains(Child<QLabel>(row.name)->geometry())) << row.name;
  }
  EXPECT_EQ(bevel->frameShadow(), QFrame::Sunken);
  for (const QWidget* w : box_.findChildren<QWidget*>()) {
    const QFontInfo face(w->font());
    EXPECT_TRUE(face.family() == QStringLiteral("ＭＳ Ｐゴシック") ||
                face.family() == QStringLiteral("IPAPGothic"))
        << w->objectName().toStdString() << ": " << face.family().toStdString();
    EXPECT_EQ(face.pixelSize(), 12) << w->objectName().toStdString();
  }
  const Qt::WindowFlags flags = box_.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & (Qt::WindowContextHelpButtonHint | Qt::WindowMinimizeButtonHint |
                        Qt::WindowMaximizeButtonHint));
}

// A face wider than the frame holds (a reader's own, spaced wide): the
// labels' face is made smaller until each text fits inside the frame.
TEST(AboutBoxFitTest, TextsWiderThanTheFrameAreMadeSmallerToFit) {
  testing::EnsureOffscreenApplication();
  const QFont usual = QApplication::font("QLabel");
  QFont wide = usual;
  wide.setLetterSpacing(QFont::PercentageSpacing, 150);
  QApplication::setFont(wide, "QLabel");
  TFrm_Info box;
  QApplication::setFont(usual, "QLabel");
  const QRect inside = box.findChild<QFrame*>(QStringLiteral("Bevel1"))->geometry();
  for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
    const auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
    ASSERT_NE(label, nullptr) << name;
    EXPECT_TRUE(inside.contains(label->geometry())) << name;
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << name;
  }
  EXPECT_LT(box.findChild<QLabel*>(QStringLiteral("Label1"))->font().pixelSize(), 12);
}

TEST_F(AboutBoxTest, OkIsTheOnlyFocusAndNeitherDefaultNorCancel) {
  box_.show();
  EXPECT_EQ(box_.focusWidget(), Ok());
  for (QWidget* w : box_.findChildren<QWidget*>()) {
    if (w == Ok()) continue;
    EXPECT_EQ(w->focusPolicy() & Qt::TabFocus, 0) << w->objectName().toStdString();
  }
  EXPECT_FALSE(Ok()->isDefault());
  EXPECT_FALSE(Ok()->autoDefault());
}

TEST_F(AboutBoxTest, EnterSpaceAndOkCloseItButEscapeDoesNot) {
  QTest::keyClick(&box_, Qt::Key_Escape);  // a hidden box is not shown by a key
  box_.show();
  QTest::keyClick(Ok(), Qt::Key_Escape);
  EXPECT_TRUE(box_.isVisible());

  const auto closers = {
      std::function<void()>([&] { QTest::keyClick(Ok(), Qt::Key_Return); }),
      std::function<void()>([&] { QTest::keyClick(Ok(), Qt::Key_Enter, Qt::KeypadModifier); }),
      std::function<void()>([&] { QTest::keyClick(Ok(), Qt::Key_Space); }),
      std::function<void()>([&] { Ok()->click(); }),
      std::function<void()>([&] { box_.close(); }),  // the title bar's close box
  };
  int way = 0;
  for (const auto& close : closers) {
    box_.show();
    close();
    EXPECT_FALSE(box_.isVisible()) << "way " << way;
    EXPECT_EQ(box_.result(), QDialog::Rejected) << "way " << way;
    ++way;
  }
}

TEST_F(AboutBoxTest, CentredFirstThenWhereTheUserLeftIt) {
  box_.show();
  const QPoint centre = box_.screen()->availableGeometry().center();
  EXPECT_LE((box_.frameGeometry().center() - centre).manhattanLength(), 2);
  box_.move(30, 40);
  Ok()->click();
  box_.show();
  EXPECT_EQ(box_.pos(), QPoint(30, 40));
  box_.hide();
  box_.show();
  EXPECT_EQ(box_.pos(), QPoint(30, 40));
}

}  // namespace
}  // namespace zu
