// The demo's data module: see the header.
#include "demo/IBDataModuleIbx.h"

#include <QLineEdit>

#include "demo/Unit1Ibx.h"

namespace smx {

namespace {

std::string TextOf(const QLineEdit* Edit) {
    return Edit->text().toUtf8().toStdString();
}

/// Database name and the user and password parameters from the window's edits.
void FillDatabase(TIBDatabase& Database, const QLineEdit* File, const QLineEdit* User,
                  const QLineEdit* Password) {
    Database.SetDatabaseName(TextOf(File));
    Database.Params().Clear();
    Database.Params().Add("user_name=" + TextOf(User));
    Database.Params().Add("password=" + TextOf(Password));
}

} // namespace

TDataMdIbx::TDataMdIbx()
    : IBDatabase1(std::make_unique<TIBDatabase>()), IBDatabase2(std::make_unique<TIBDatabase>()),
      SMXConnection1(std::make_unique<TSMXConnectionIBX>()),
      SMXConnection2(std::make_unique<TSMXConnectionIBX>()) {
    SetName("DataMdIbx");
    IBDatabase1->SetName("IBDatabase1");
    IBDatabase2->SetName("IBDatabase2");
    SMXConnection1->SetName("SMXConnection1");
    SMXConnection2->SetName("SMXConnection2");
    IBDatabase1->SetLoginPrompt(false);
    IBDatabase2->SetLoginPrompt(false);
    SMXConnection1->SetDatabase(IBDatabase1.get());
    SMXConnection2->SetDatabase(IBDatabase2.get());
    SMXConnection1->OnBeforeConnect = [this](TObject* Sender) { SMXConnection1BeforeConnect(Sender); };
    SMXConnection2->OnBeforeConnect = [this](TObject* Sender) { SMXConnection2BeforeConnect(Sender); };
    IBDatabase1->OnLogin = IBDatabase2->OnLogin = [this](TIBDatabase& Database, TStringList& LoginParams) {
        DatabaseLogin(Database, LoginParams);
    };
}

void TDataMdIbx::DatabaseLogin(TIBDatabase& Database, TStringList& LoginParams) {
    TLogin& login = &Database == IBDatabase1.get() ? login1_ : login2_;
    if (!login.Asked) {
        if (LoginPrompt) LoginPrompt(Database, LoginParams);
        login = {true, LoginParams.Values("user_name"), LoginParams.Values("password")};
        return;
    }
    LoginParams.SetValue("user_name", login.User);
    LoginParams.SetValue("password", login.Password);
}

TDataMdIbx::~TDataMdIbx() {
    SMXConnection2.reset();
    SMXConnection1.reset();
}

void TDataMdIbx::ForgetLogins() {
    login1_ = {};
    login2_ = {};
}

void TDataMdIbx::SMXConnection1BeforeConnect(TObject*) {
    if (!Form1) return;
    FillDatabase(*IBDatabase1, Form1->fnDatabaseMaster, Form1->EditMUser, Form1->EditMPswd);
}

void TDataMdIbx::TakeFormSettings() {
    if (!Form1) return;
    if (!SMXConnection1->GetConnected()) {
        SMXConnection1BeforeConnect(SMXConnection1.get());
        SMXConnection1->GetConnectionOptions().SetDatabaseName(IBDatabase1->GetDatabaseName());
    }
    if (!SMXConnection2->GetConnected()) {
        SMXConnection2BeforeConnect(SMXConnection2.get());
        SMXConnection2->GetConnectionOptions().SetDatabaseName(IBDatabase2->GetDatabaseName());
    }
}

void TDataMdIbx::SMXConnection2BeforeConnect(TObject*) {
    if (!Form1) return;
    FillDatabase(*IBDatabase2, Form1->fnDatabaseTarget, Form1->EditTUser, Form1->EditTPswd);
    IBDatabase2->SetLoginPrompt(Form1->EditTUser->text().isEmpty() || Form1->EditTPswd->text().isEmpty());
}

} // namespace smx
