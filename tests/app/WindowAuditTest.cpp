// Every window of the tool, as a keyboard or screen-reader user meets it: each button says what it does in
// its tooltip, each input has a name a screen reader can say.
#include "monitor/ui/TStateForm.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ui/TFormDetails.h"
#include "serial/ports/PortEnumerator.h"
#include "serial/ui/TFormComPort.h"
#include "tests/app/Program.h"
#include "tests/support/WidgetAudit.h"
#include "transfer/ui/TFormDifferences.h"
#include "transfer/ui/TFormDownload.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPushButton>

using namespace vantrel;

TEST(WindowAudit, EveryButtonIsExplainedAndEveryInputNamed) {
    test::Program p;
    TFormComPort chooser(ports::PortEnumerator::shared());
    const std::pair<const char*, QWidget*> windows[] = {
        {"main", p.main},
        {"transfer", &p.startup->formDownload()},
        {"differences", p.startup->formDownload().findChild<TFormDifferences*>()},
        {"editor", &p.startup->settingsForm()},
        {"status", &p.startup->stateForm()},
        {"chooser", &chooser},
    };
    for (const auto& [name, window] : windows) {
        ASSERT_NE(window, nullptr) << name;
        EXPECT_EQ(test::accessibilityGaps(*window).join('\n').toStdString(), "") << name;
    }
    // A greyed button of the main window says why.
    EXPECT_EQ(test::child<QPushButton>(p.main, "btStatus")->toolTip(),
              QStringLiteral("A modul állapota csak soros kapcsolat mellett látható."));
}

TEST(WindowAudit, QtsOwnDialogsSpeakHungarian) {
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_hu.qm")))
        GTEST_SKIP() << "Qt's Hungarian translation is not installed (qt6-translations-l10n)";
    QDialogButtonBox box(QDialogButtonBox::Cancel | QDialogButtonBox::Yes | QDialogButtonBox::No |
                         QDialogButtonBox::Save | QDialogButtonBox::Open);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Mégse"));
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text().remove('&'), QStringLiteral("Igen"));
    EXPECT_EQ(box.button(QDialogButtonBox::No)->text().remove('&'), QStringLiteral("Nem"));
    EXPECT_EQ(box.button(QDialogButtonBox::Save)->text().remove('&'), QStringLiteral("Mentés"));
    EXPECT_EQ(box.button(QDialogButtonBox::Open)->text().remove('&'), QStringLiteral("Megnyitás"));
}
