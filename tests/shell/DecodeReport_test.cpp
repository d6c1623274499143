#include "shell/DecodeReport.h"
#include "shell/AppState.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace qm;

// The document's shape and key order are checked through the tool's decode command.
TEST(DecodeReport, ChannelValuesAndEscapedTexts)
{
    EXPECT_EQ(jsonString(QStringLiteral("a\"b\\c\n\r\t\b\f")), QStringLiteral("\"a\\\"b\\\\c\\n\\r\\t\\b\\f\""));
    EXPECT_EQ(jsonString(QString(QChar(0x01)) + QChar(0x1F) + QStringLiteral("无")), QStringLiteral("\"\\u0001\\u001f无\""));

    AppState s;
    s.settings.ChNum = 2;
    s.settings.ChColNum = 11;
    s.doc.ChData[2] = {1, 46256250, -1, 1, 0, 1, 0, 1, 2, 0, 1};
    s.doc.ChNameCode[2] = {0, 12, 17, 36, 1, 38, 255};
    s.grid.text[2][1] = QStringLiteral("462.5625");
    s.grid.text[2][11] = QStringLiteral("无a\"\\\n");
    s.doc.OptSel[100] = 5;
    QJsonParseError err;
    const QJsonObject doc = QJsonDocument::fromJson(DecodeReportJson(s), &err).object();
    ASSERT_EQ(err.error, QJsonParseError::NoError) << err.errorString().toStdString();
    const QJsonObject ch2 = doc.value(QStringLiteral("channels")).toArray()[1].toObject();
    EXPECT_EQ(ch2.value(QStringLiteral("rx")).toInt(), 46256250);
    EXPECT_EQ(ch2.value(QStringLiteral("tx")).toInt(), -1);
    EXPECT_EQ(ch2.value(QStringLiteral("opt")).toArray(), (QJsonArray{1, 0, 1, 2, 0, 1}));
    EXPECT_EQ(ch2.value(QStringLiteral("name_codes")).toArray(), (QJsonArray{12, 17, 36, 1, 38, 255}));
    const QJsonArray cells = ch2.value(QStringLiteral("cells")).toArray();
    ASSERT_EQ(cells.size(), 11);
    EXPECT_EQ(cells[0].toString(), QStringLiteral("462.5625"));
    EXPECT_EQ(cells[10].toString(), QStringLiteral("无a\"\\\n"));
    EXPECT_EQ(doc.value(QStringLiteral("OptSel")).toArray()[99].toInt(), 5);
}
