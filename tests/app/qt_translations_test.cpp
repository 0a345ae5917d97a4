// Qt's own dialogs speak German: the program loads Qt's translations at start.

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(QtGerman, QtsOwnDialogsAndButtonsSpeakGerman)
{
    // The program's application object is running: these come from Qt.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("Suchen in:"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Öffnen"));
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Abbrechen"));
    // Numbers in them as in German: a decimal comma, whatever the system's locale.
    EXPECT_EQ(QLocale().toString(1.62, 'f', 2), QStringLiteral("1,62"));
    EXPECT_EQ(QLocale().formattedDataSize(1700000, 2, QLocale::DataSizeTraditionalFormat), QStringLiteral("1,62 MB"));
}
