#include "messagebox.h"

#include <QPushButton>

void showMessageBox(QWidget *parent, QMessageBox::Icon icon, const QString &title, const QString &text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

bool askToGoOn(QWidget *parent, const QString &title, const QString &text, const QString &goOn)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::NoButton, parent);
    const QAbstractButton *go = box.addButton(goOn, QMessageBox::AcceptRole);
    QPushButton *cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(cancel);
    box.setEscapeButton(cancel);
    box.exec();
    return box.clickedButton() == go;
}

void report(QWidget *parent, const Failure &failure)
{
    showMessageBox(parent, QMessageBox::Critical, messageTitle, failure.message());
}

void laterReport(QWidget *parent, const Failure &failure)
{
    QMetaObject::invokeMethod(parent, [parent, failure] { report(parent, failure); }, Qt::QueuedConnection);
}

void warn(QWidget *parent, const QString &text)
{
    showMessageBox(parent, QMessageBox::Warning, messageTitle, text);
}

void inform(QWidget *parent, const QString &text)
{
    showMessageBox(parent, QMessageBox::Information, messageTitle, text);
}
