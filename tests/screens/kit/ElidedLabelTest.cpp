#include "screens/kit/ElidedLabel.h"
#include "support/QtPrinting.h"

#include <gtest/gtest.h>

namespace tarnik {
namespace {

TEST(ElidedLabelWidget, ATextTooWideEndsInAnEllipsisAndKeepsTheWholeTextForTipAndReader) {
  const QString name = QStringLiteral("Front of house console with a very long name:3037");
  ElidedLabel label(name);
  label.show();
  EXPECT_EQ(label.minimumSizeHint().width(), 0);
  label.resize(label.sizeHint());
  EXPECT_EQ(label.text(), name);

  label.resize(label.sizeHint().width() / 2, label.sizeHint().height());
  EXPECT_TRUE(label.text().endsWith(QChar(0x2026))) << label.text().toStdString();
  EXPECT_LT(label.fontMetrics().horizontalAdvance(label.text()), label.width() + 1);
  EXPECT_EQ(label.toolTip(), name);
  EXPECT_EQ(label.accessibleName(), name);
  EXPECT_EQ(label.fullText(), name);

  // A new text is measured afresh, and rich text stays characters.
  label.setFullText(QStringLiteral("<b>A</b>"));
  label.resize(label.sizeHint());
  EXPECT_EQ(label.text(), QStringLiteral("<b>A</b>"));
  EXPECT_EQ(label.textFormat(), Qt::PlainText);
}

}  // namespace
}  // namespace tarnik
