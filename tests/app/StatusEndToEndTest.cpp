// The tool and the module simulator on the two ends of a pseudo-terminal: what the module reports reaches
// the status monitor and the traffic detail window.
#include "common/ui/Dialogs.h"
#include "monitor/ui/TStateForm.h"
#include "protocol/ui/MemoBox.h"
#include "protocol/ui/TFormDetails.h"
#include "tests/app/Program.h"
#include "tools/sim/ModuleSimulator.h"

#include <QFile>
#include <QImage>
#include <QLabel>
#include <gtest/gtest.h>

using namespace vantrel;

namespace {

struct StatusEndToEnd : ::testing::Test {
    sim::ModuleSimulator module;
    test::Program program;

    void SetUp() override {
        module.setTiming({false, 0});
        program.links.link(1, QString::fromStdString(module.openPseudoTerminal()));
        module.start();
        program.connect();
    }
    QLabel* label(const char* name) { return test::child<QLabel>(&program.startup->stateForm(), name); }
};

} // namespace

TEST_F(StatusEndToEnd, PolledStatusReachesTheLabels) {
    module.setStatus({0x1F, 25, 5, 0});
    test::click(program.main, "btStatus");
    ASSERT_TRUE(
        test::waitUntil([&] { return label("lbGSMLine")->text() == QStringLiteral("Bejövő hívás folyamatban 5"); }));
    EXPECT_EQ(label("lbIN1")->text(), QStringLiteral("Rövidzár"));
    EXPECT_EQ(label("lbLineVoltage")->text(), QStringLiteral("Vonal rendben"));
    EXPECT_EQ(label("lbGSMpowVal")->text(), QStringLiteral("25"));

    // The monitor keeps polling: a change at the module shows within a second.
    module.setStatus({0x00, 3, 9, 0});
    ASSERT_TRUE(test::waitUntil([&] { return label("lbGSMLine")->text() == QStringLiteral("Hívás vége. 9"); }, 2000));
    EXPECT_EQ(label("lbIN4")->text(), QStringLiteral("Nyitva"));
    EXPECT_EQ(label("lbLineVoltage")->text(), QStringLiteral("Nincs vonal"));
    EXPECT_GE(module.stats().statusPolls, 2);
}

TEST_F(StatusEndToEnd, ModuleTextsReachTheMessageBoxAndTheVisibleDetailWindow) {
    TFormDetails& details = program.startup->formDetails();
    // Hidden detail window: its channels are lost, the status monitor's box still collects channel 1.
    module.sendText(1, "Riasztas\r\n", sim::TextForm::Long);
    module.sendText(3, "lost", sim::TextForm::Short);
    MemoBox* memoState = program.startup->stateForm().MemoState();
    ASSERT_TRUE(test::waitUntil([&] { return memoState->lines() == QStringList{"Riasztas"}; }));
    test::pumpEvents(100);
    EXPECT_TRUE(details.Memo5()->lines().isEmpty());

    details.show();
    module.sendText(2, "GSM ok\r\nIN1", sim::TextForm::Short);
    module.sendText(3, "channel three", sim::TextForm::Long);
    ASSERT_TRUE(test::waitUntil([&] { return details.Memo5()->lines() == QStringList{"channel three"}; }));
    ASSERT_TRUE(test::waitUntil([&] { return details.Memo4()->lines() == (QStringList{"GSM ok", "IN1"}); }));
    EXPECT_EQ(memoState->lines(), (QStringList{"Riasztas", "GSM ok", "IN1"}));
    EXPECT_TRUE(details.Memo3()->lines().isEmpty());
}

TEST_F(StatusEndToEnd, AModuleThatStopsAnsweringShowsStaleUntilItAnswersAgain) {
    TStateForm& form = program.startup->stateForm();
    qint64 now = 1'000'000;
    form.setClock([&] { return now; });
    module.setStatus({0x1F, 25, 5, 0});
    test::click(program.main, "btStatus");
    ASSERT_TRUE(test::waitUntil([&] { return label("lbGSMpowVal")->text() == QStringLiteral("25"); }));
    EXPECT_TRUE(label("lbNoReply")->text().isEmpty());

    sim::Faults silent;
    silent.silentAfter = 0;
    module.setFaults(silent);
    now += 2500; // the polls of the next 2.5 s go unanswered
    ASSERT_TRUE(test::waitUntil([&] { return form.isStale(); }, 3000));
    EXPECT_EQ(label("lbNoReply")->text(), QStringLiteral("A modul nem válaszol!"));
    EXPECT_EQ(label("lbNoReply")->palette().color(QPalette::WindowText), QColor(176, 0, 0));
    EXPECT_FALSE(label("lbGSMpowVal")->isEnabled()) << "the last values stay, greyed";
    EXPECT_EQ(label("lbLineVoltage")->palette().color(QPalette::WindowText), QColor(105, 105, 105));
    EXPECT_EQ(label("lbGSMpowVal")->text(), QStringLiteral("25"));

    module.setFaults({});
    ASSERT_TRUE(test::waitUntil([&] { return !form.isStale(); }, 3000));
    EXPECT_TRUE(label("lbNoReply")->text().isEmpty());
    EXPECT_TRUE(label("lbGSMpowVal")->isEnabled());

    // The history saved as CSV and as PNG.
    DialogScript script;
    for (const char* name : {"terero.csv", "terero.png"}) {
        const QString path = program.cwd.file(name);
        script.setNextFileName(path);
        test::click(&form, "btSaveHistory");
        QFile saved(path);
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly)) << name;
        const QByteArray bytes = saved.readAll();
        if (QByteArray(name).endsWith(".png")) {
            // The picture as the window shows the plot, under a heading (port, date) and the figures.
            const QImage picture = QImage::fromData(bytes, "PNG");
            ASSERT_FALSE(picture.isNull());
            EXPECT_GE(picture.width(), 640);
            int inked = 0;
            for (int x = 0; x < picture.width(); ++x)
                inked += qGray(picture.pixel(x, 16)) < 128 ? 1 : 0;
            EXPECT_GT(inked, 20) << "a heading is written across the top";
        } else {
            // For a spreadsheet set to Hungarian: the byte-order mark, ";" between the fields.
            EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF")) << name;
            EXPECT_TRUE(bytes.contains(";25;1;1;1;1;rendben;5\n")) << bytes.left(200).constData();
        }
    }
    EXPECT_TRUE(script.messages(DialogScript::Kind::Error).isEmpty());
}
