// The demo program's hooks and login prompt: see the header.
#include "demo/DemoApp.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

#include "demo/IBDataModuleIbx.h"
#include "platform/smxExceptions.h"
#include "platform/smxIBClient.h"

namespace smx {

void LoginDialog(TIBDatabase& Database, TStringList& LoginParams) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle("Database Login");
    auto* form = new QFormLayout(&dialog);
    form->addRow("Database:", new QLabel(QString::fromUtf8(Database.GetDatabaseName().c_str())));
    auto* user = new QLineEdit(QString::fromUtf8(Database.ParamValue("user_name").c_str()));
    auto* password = new QLineEdit(QString::fromUtf8(Database.ParamValue("password").c_str()));
    user->setObjectName("LoginUser");
    password->setObjectName("LoginPassword");
    password->setEchoMode(QLineEdit::Password);
    form->addRow("User name:", user);
    form->addRow("Password:", password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (dialog.exec() != QDialog::Accepted) throw EDatabaseError("Login cancelled");
    LoginParams.SetValue("user_name", user->text().toUtf8().toStdString());
    LoginParams.SetValue("password", password->text().toUtf8().toStdString());
}

TDemoHooks::TDemoHooks(TForm1& Form) {
    oldBox_ = SetMessageBoxHook([](const std::string& Text) {
        QMessageBox::information(QApplication::activeWindow(), "Schemalyst Demo (IBX)",
                                 QString::fromUtf8(Text.c_str()));
    });
    oldPump_ = SetMessagePumpHook([] { QApplication::processEvents(); });
    QPointer<TForm1> form(&Form);
    oldTrace_ = std::exchange(TraceHook, [form](const std::string& Text) {
        if (form) form->TraceToLogMemo(Text);
    });
    Form.DataMdIbx.LoginPrompt = LoginDialog;
}

TDemoHooks::~TDemoHooks() {
    TraceHook = oldTrace_ ? oldTrace_ : TTraceProc(NoTrace);
    SetMessagePumpHook(oldPump_);
    SetMessageBoxHook(oldBox_);
}

} // namespace smx
