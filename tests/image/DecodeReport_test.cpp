#include "image/DecodeReport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace qm;

TEST(DecodeReport, StringsAreEscaped)
{
    EXPECT_EQ(jsonString(QStringLiteral("plain")), QStringLiteral("\"plain\""));
    EXPECT_EQ(jsonString(QStringLiteral("a\"b\\c")), QStringLiteral("\"a\\\"b\\\\c\""));
    EXPECT_EQ(jsonString(QStringLiteral("\n\r\t\b\f")), QStringLiteral("\"\\n\\r\\t\\b\\f\""));
    EXPECT_EQ(jsonString(QString(QChar(0x01)) + QChar(0x1F)), QStringLiteral("\"\\u0001\\u001f\""));
    EXPECT_EQ(jsonString(QStringLiteral("无 D023N")), QStringLiteral("\"无 D023N\""));
}

TEST(DecodeReport, DocumentHasTheContractedShapeAndOrder)
{
    AppState s;
    s.ChNum = 3;
    s.ChColNum = 11;
    s.ChData[2] = {1, 46256250, -1, 1, 0, 1, 0, 1, 2, 0, 1};
    s.ChNameCode[2] = {0, 12, 17, 36, 1, 38, 255};
    s.grid.text[2][1] = QStringLiteral("462.5625");
    s.grid.text[2][3] = QStringLiteral("无");
    s.grid.text[2][11] = QStringLiteral("a\"\\\n");
    for (int i = 1; i <= kOptCount; ++i)
        s.OptSel[i] = static_cast<int16_t>(i % 7);

    const QByteArray json = DecodeReportJson(s);
    EXPECT_TRUE(json.startsWith("{\"channels\":[\n{\"n\":1,\"rx\":0,\"tx\":0,\"dec\":0,\"enc\":0,\"opt\":["));
    EXPECT_LT(json.indexOf("\"channels\""), json.indexOf("\"OptSel\""));
    EXPECT_LT(json.indexOf("\"OptSel\""), json.indexOf("\"radio\""));
    EXPECT_LT(json.indexOf("\"band\""), json.indexOf("\"version\""));
    EXPECT_LT(json.indexOf("\"version\""), json.indexOf("\"last_write\""));

    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &err);
    ASSERT_EQ(err.error, QJsonParseError::NoError) << err.errorString().toStdString();
    const QJsonArray channels = doc.object().value(QStringLiteral("channels")).toArray();
    ASSERT_EQ(channels.size(), 3);
    const QJsonObject ch2 = channels[1].toObject();
    EXPECT_EQ(ch2.keys().size(), 8);
    EXPECT_EQ(ch2.value(QStringLiteral("n")).toInt(), 2);
    EXPECT_EQ(ch2.value(QStringLiteral("rx")).toInt(), 46256250);
    EXPECT_EQ(ch2.value(QStringLiteral("tx")).toInt(), -1);
    EXPECT_EQ(ch2.value(QStringLiteral("opt")).toArray(), (QJsonArray{1, 0, 1, 2, 0, 1}));
    EXPECT_EQ(ch2.value(QStringLiteral("name_codes")).toArray(), (QJsonArray{12, 17, 36, 1, 38, 255}));
    const QJsonArray cells = ch2.value(QStringLiteral("cells")).toArray();
    ASSERT_EQ(cells.size(), 11);
    EXPECT_EQ(cells[0].toString(), QStringLiteral("462.5625"));
    EXPECT_EQ(cells[2].toString(), QStringLiteral("无"));
    EXPECT_EQ(cells[10].toString(), QStringLiteral("a\"\\\n"));
    const QJsonArray opt = doc.object().value(QStringLiteral("OptSel")).toArray();
    ASSERT_EQ(opt.size(), 100);
    EXPECT_EQ(opt[0].toInt(), 1);
    EXPECT_EQ(opt[99].toInt(), 100 % 7);
    EXPECT_TRUE(doc.object().value(QStringLiteral("radio")).toObject().contains(QStringLiteral("last_write")));
}
