// Every window of the tool as it is painted: each visible control inside its window, none over another,
// none squeezed, and the main window's status text with room to be seen. The same program runs itself
// once at scale 1 and once at scale 1.5, on a 1366x768 screen, since the scale is fixed at start.
#include "monitor/ui/TFormEventLog.h"
#include "monitor/ui/TStateForm.h"
#include "params/ui/TSettingsForm.h"
#include "protocol/ui/TFormDetails.h"
#include "report/ImageDiff.h"
#include "serial/ports/PortEnumerator.h"
#include "serial/ui/TFormComPort.h"
#include "tests/app/Program.h"
#include "tests/support/WidgetAudit.h"
#include "transfer/ui/TFormDifferences.h"
#include "transfer/ui/TFormDownload.h"

#include <QLabel>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryFile>

using namespace vantrel;

namespace {

const char* const kScaleVariable = "VANTREL_LAYOUT_SCALE";

QStringList auditShown(QWidget* window, const QString& name) {
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window)) << name.toStdString();
    QCoreApplication::processEvents();
    QStringList problems;
    for (const QString& p : test::layoutProblems(*window))
        problems << name + QStringLiteral(": ") + p;
    return problems;
}

// What the installer would see wrong, window by window, in this process's scale.
QStringList auditEveryWindow() {
    test::Program p;
    QStringList problems;
    // The main window with its longest state text and a reason beside it.
    p.links.link(1, QStringLiteral("/nonexistent/ttyGone"));
    test::click(p.main, "btConnect");
    problems << auditShown(p.main, QStringLiteral("main"));
    auto* state = p.main->findChild<QWidget*>(QStringLiteral("StatusBar1"));
    if (state == nullptr || !state->isVisible() || !test::textHasRoom(*state, p.status()))
        problems << QStringLiteral("main: the state text \"%1\" has no room to be painted").arg(p.status());

    TFormComPort chooser(ports::PortEnumerator::shared());
    problems << auditShown(&chooser, QStringLiteral("chooser"));
    chooser.reject();

    TFormDownload& transfer = p.startup->formDownload();
    problems << auditShown(&transfer, QStringLiteral("transfer"));

    TSettingsForm& editor = p.startup->settingsForm();
    auto* pages = editor.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    EXPECT_NE(pages, nullptr);
    for (int tab = 0; pages != nullptr && tab < pages->count(); ++tab) {
        pages->setCurrentIndex(tab);
        problems << auditShown(&editor, QStringLiteral("editor/") + pages->tabText(tab));
    }
    editor.hide();

    TStateForm& status = p.startup->stateForm();
    status.status() = {0x1F, 17, 11, 0};
    status.ShowStatus();
    problems << auditShown(&status, QStringLiteral("status"));

    problems << auditShown(&p.startup->formDetails(), QStringLiteral("details"));
    TFormEventLog log(p.main);
    problems << auditShown(&log, QStringLiteral("log"));

    TFormDifferences& differences = transfer.differences();
    ImageBytes changed{};
    changed.fill(0xFF);
    changed[0] = 0x12;
    ImageBytes blank{};
    blank.fill(0xFF);
    differences.showDifferences(diffImages(blank, changed), QStringLiteral("Modul"), QStringLiteral("Fájl"));
    problems << auditShown(&differences, QStringLiteral("differences"));
    return problems;
}

} // namespace

TEST(WindowLayout, EveryWindowLaidOutAtScale1And15) {
    if (qEnvironmentVariableIsSet(kScaleVariable)) {
        // The run inside the scaled child process.
        EXPECT_EQ(auditEveryWindow().join(QLatin1Char('\n')).toStdString(), "");
        return;
    }
    QTemporaryFile screens;
    ASSERT_TRUE(screens.open());
    screens.write(R"({"screens": [{"name": "s1", "x": 0, "y": 0, "width": 1366, "height": 768,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.flush();
    for (const char* scale : {"1", "1.5"}) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kScaleVariable), QString::fromLatin1(scale));
        env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::fromLatin1(scale));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screens.fileName());
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=WindowLayout.EveryWindowLaidOutAtScale1And15")});
        ASSERT_TRUE(child.waitForFinished(120000)) << scale;
        const QString output = QString::fromUtf8(child.readAll());
        EXPECT_EQ(child.exitCode(), 0) << "at scale " << scale << ":\n" << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("[  PASSED  ] 1 test"))) << output.toStdString();
    }
}
