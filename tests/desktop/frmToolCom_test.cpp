#include "desktop/WindowsFixture.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

using namespace qm;
using namespace qmtest;

TEST(frmToolCom, ProbesAtEveryOpeningAndStoresTheChoiceOnlyOnOk)
{
    enum class Close { Ok, Cancel, Escape };
    // com: COM when the dialog opens; selectedAt: option selected at opening (-1 none); pick: option the user clicks (-1 none)
    const struct { const char* what; std::vector<int> usable; int com; int selectedAt; int pick; Close close; int comAfter;
                   const char* keyAfter; } cases[] = {
        {"COM4 + OK", {3, 4}, 3, 2, 3, Close::Ok, 4, "4"},
        {"COM4 + Cancel", {3, 4}, 3, 2, 3, Close::Cancel, 3, "3"},
        {"COM4 + Escape", {3, 4}, 3, 2, 3, Close::Escape, 3, "3"},
        {"OK keeps", {3, 4}, 3, 2, -1, Close::Ok, 3, "3"},
        {"port in use gone", {1, 16}, 3, -1, 15, Close::Ok, 16, "16"},
        {"nothing usable", {}, 5, -1, -1, Close::Ok, 5, "5"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WindowsHarness h;
        ASSERT_TRUE(h.start(3, {{QStringLiteral("COM"), QString::number(c.com)},
                                {QStringLiteral("Port3"), QStringLiteral("/dev/ttyFAKE3")}}));
        h.prober.usable = c.usable;
        h.s->settings.COM = static_cast<int16_t>(c.com);
        h.profile().write(QStringLiteral("Setting"), QStringLiteral("COM"), QString::number(c.com));
        h.prober.probed.clear();
        frmToolCom* d = h.toolCom;
        d->show();
        EXPECT_EQ(h.prober.probed.size(), 16u);
        EXPECT_EQ(d->windowTitle(), QStringLiteral("Communication Port"));
        for (int i = 0; i < 16; ++i) {
            QRadioButton* o = d->findChild<QRadioButton*>(QStringLiteral("COM1_%1").arg(i));
            ASSERT_NE(o, nullptr);
            EXPECT_EQ(o->text(), QStringLiteral("COM%1").arg(i + 1));
            const bool usable = std::find(c.usable.begin(), c.usable.end(), i + 1) != c.usable.end();
            EXPECT_EQ(o->isEnabled(), usable) << i;
            EXPECT_EQ(o->isChecked(), i == c.selectedAt) << i;
            EXPECT_TRUE(o->toolTip().startsWith(PortDevicePath(h.s->settings, i + 1))) << i;
            EXPECT_EQ(d->findChild<QLabel*>(QStringLiteral("lblCOMDevice_%1").arg(i))->text(),
                      PortDevicePath(h.s->settings, i + 1));
        }
        EXPECT_EQ(d->option(2)->toolTip().left(13), QStringLiteral("/dev/ttyFAKE3"));
        if (c.pick >= 0)
            d->option(c.pick)->click();
        if (c.close == Close::Ok)
            d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        else if (c.close == Close::Cancel)
            d->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        else
            pressKey(d, Qt::Key_Escape);
        EXPECT_FALSE(d->isVisible());
        EXPECT_EQ(h.s->settings.COM, c.comAfter);
        EXPECT_EQ(d->chosenPort(), c.comAfter);
        EXPECT_EQ(d->portStatusText(), QStringLiteral("COM%1").arg(c.comAfter));
        EXPECT_EQ(h.profile().read(QStringLiteral("Setting"), QStringLiteral("COM"), {}, 10),
                  QString::fromLatin1(c.keyAfter));
    }
}
