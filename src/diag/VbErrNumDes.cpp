#include "diag/modShowErr.h"

#include <QHash>

namespace qm {

// Placeholder with the telling rows; the full 118-row table replaces it.
QString VbErrNumDes(int number)
{
    static const QHash<int, QString> table = {
        {5, QStringLiteral("无效的过程调用")},
        {6, QStringLiteral("溢出")},
        {9, QStringLiteral("数组索引超出范围")},
        {13, QStringLiteral("类型不符合")},
        {53, QStringLiteral("文件找不到")},
        {75, QStringLiteral("路径/文件访问错误")},
        {91, QStringLiteral("尚未设置对象变量或With区块变量")},
        {380, QStringLiteral("属性值无效")},
        {482, QStringLiteral("打印机错误")},
        {31001, QStringLiteral("内存溢出")},
    };
    return table.value(number);
}

} // namespace qm
