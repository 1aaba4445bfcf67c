#include "TestFiles.h"
#include "ui/help/HelpWindow.h"

#include <QDir>

using namespace kaldex;

// The program finds its help file beside itself (the build tree) or, installed,
// in bin/../share/kaldex, wherever the tree was installed to.
TEST(HelpLookup, BesideTheProgramOrInItsDataFolder)
{
    test::TempDir prefix;
    QDir(QString::fromStdString(prefix.path())).mkpath(QStringLiteral("share/kaldex"));
    QDir(QString::fromStdString(prefix.path())).mkpath(QStringLiteral("bin"));
    const QString bin = QString::fromStdString(prefix.file("bin"));
    const QString name = QStringLiteral("RICHEDIT.HLP");
    EXPECT_EQ(ui::helpFilePath(bin, name), bin + "/RICHEDIT.HLP") << "neither: the message names the first place";
    test::writeBytes(prefix.file("share/kaldex/RICHEDIT.HLP"), "installed");
    EXPECT_EQ(ui::helpFilePath(bin, name), QString::fromStdString(prefix.file("share/kaldex/RICHEDIT.HLP")));
    test::writeBytes(prefix.file("bin/RICHEDIT.HLP"), "beside");
    EXPECT_EQ(ui::helpFilePath(bin, name), bin + "/RICHEDIT.HLP");
}
