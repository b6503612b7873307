// The question about an existing recording file, as a message box with one button
// per outcome; Escape and closing the box cancel.
#include "RecordFileQuestion.h"

#include "common/widgets/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QMessageBox>
#include <QPushButton>

std::optional<rdrec::IfExisting> AskHowToRecord(Prompter &prompter, QWidget *parent, const QString &path,
                                                rdrec::ExistingFile found)
{
    if (found == rdrec::ExistingFile::Absent)
        return rdrec::IfExisting::Continue;

    const QString file = QDir::toNativeSeparators(path);
    const bool same = found == rdrec::ExistingFile::SameColumns;
    QMessageBox box(parent);
    box.setWindowTitle(QCoreApplication::translate("RecordFileQuestion", "记录数据"));
    box.setIcon(QMessageBox::Question);
    box.setText(same ? QCoreApplication::translate("RecordFileQuestion", "文件 %1 已有一份同样各列的记录。").arg(file)
                     : QCoreApplication::translate("RecordFileQuestion", "文件 %1 已有其他内容，不是同样各列的记录。").arg(file));
    box.setInformativeText(same ? QCoreApplication::translate("RecordFileQuestion", "新的行可以接在文件末尾；覆盖则原有的记录全部丢失。")
                                : QCoreApplication::translate("RecordFileQuestion", "覆盖则文件原有的内容全部丢失。"));
    QPushButton *append = nullptr;
    if (same)
        append = box.addButton(QCoreApplication::translate("RecordFileQuestion", "继续记录到文件末尾"), QMessageBox::AcceptRole);
    QPushButton *overwrite = box.addButton(QCoreApplication::translate("RecordFileQuestion", "覆盖"), QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(QCoreApplication::translate("RecordFileQuestion", "取消"), QMessageBox::RejectRole);
    // Enter takes what loses nothing.
    box.setDefaultButton(append ? append : cancel);
    box.setEscapeButton(cancel);

    prompter.exec(box);
    QAbstractButton *chosen = box.clickedButton();
    if (append && chosen == append)
        return rdrec::IfExisting::Continue;
    if (chosen == overwrite)
        return rdrec::IfExisting::Overwrite;
    return std::nullopt;
}
