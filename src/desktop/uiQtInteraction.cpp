#include "desktop/uiQtInteraction.h"

#include <algorithm>

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace qm {

QString qtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString desc = parts[i].trimmed();
        const QString pattern = parts[i + 1].trimmed();
        out << (desc.contains(QLatin1Char('(')) ? desc : QStringLiteral("%1 (%2)").arg(desc, pattern));
    }
    if (out.isEmpty())
        return filter;
    return out.join(QStringLiteral(";;"));
}

MsgAnswer QtInteraction::message(const QString& prompt, const QString& title, MsgButtons buttons, MsgIcon icon)
{
    QMessageBox box(parent_);
    box.setWindowTitle(title);
    box.setText(prompt);
    switch (icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (buttons == MsgButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        return box.exec() == QMessageBox::Yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return MsgAnswer::Ok;
}

namespace {

// The dialogs open in the folder of the current file with an empty name box.
QString startFolder(const QString& startPath)
{
    if (startPath.isEmpty())
        return QString();
    const QFileInfo info(startPath);
    return info.isDir() ? info.absoluteFilePath() : info.absolutePath();
}

} // namespace

QString QtInteraction::openFileName(const QString& startPath, const QString& filter)
{
    QFileDialog dlg(parent_, QString(), startFolder(startPath), qtFileFilter(filter));
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

SaveDialogResult QtInteraction::saveFileName(const QString& startPath, const QString& filter, const QString& defaultExt)
{
    QFileDialog dlg(parent_, QString(), startFolder(startPath), qtFileFilter(filter));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(defaultExt);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    SaveDialogResult r;
    r.fileName = dlg.selectedFiles().constFirst();
    r.refused = QFileInfo(r.fileName).isDir();
    r.filterIndex = std::max<int>(0, dlg.nameFilters().indexOf(dlg.selectedNameFilter()));
    return r;
}

} // namespace qm
