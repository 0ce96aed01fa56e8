// The demo's data module: the two Firebird client database components and the two connection
// components bound to them (1 = master, 2 = target). Before each connect, the connection's
// handler copies the file name, user and password from the main window into its database
// component; the target side asks for a login when its user or password is empty.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "database/smxConnection_IBX.h"
#include "platform/smxComponent.h"
#include "platform/smxIBClient.h"

namespace smx {

class TForm1;

/// The connections of the demo window.
class TDataMdIbx : public TComponent {
public:
    /// Creates the components with their stored settings (no login prompt, not connected).
    TDataMdIbx();
    ~TDataMdIbx() override;
    SMX_CLASSNAME(TDataMdIbx)

    /// IBDatabase1: fnDatabaseMaster, user_name/password from EditMUser/EditMPswd.
    void SMXConnection1BeforeConnect(TObject* Sender);
    /// IBDatabase2 the same from the target edits; LoginPrompt := user or password empty.
    void SMXConnection2BeforeConnect(TObject* Sender);
    /// Takes the window's settings into both sides that are not connected, and each file name into
    /// its connection's options at once, so that a component logging "Connecting to ...: " before
    /// it connects names the file that is then opened, not the one of the previous run.
    void TakeFormSettings();

    /// OnLogin of both databases: the first attach asks LoginPrompt; further attaches reuse the
    /// answer until ForgetLogins, so that one button press asks once per side although the
    /// connection's character-set passes and the extractor attach again.
    void DatabaseLogin(TIBDatabase& Database, TStringList& LoginParams);
    /// The next attach of each database asks LoginPrompt again.
    void ForgetLogins();

    /// The window the before-connect handlers read; the form sets and clears it.
    TForm1* Form1 = nullptr;
    /// Asks for user and password, writing them into LoginParams; may throw to cancel.
    std::function<void(TIBDatabase& Database, TStringList& LoginParams)> LoginPrompt;

    // Declared in creation order: the connections go before the databases they work on.
    std::unique_ptr<TIBDatabase> IBDatabase1;
    std::unique_ptr<TIBDatabase> IBDatabase2;
    std::unique_ptr<TSMXConnectionIBX> SMXConnection1;
    std::unique_ptr<TSMXConnectionIBX> SMXConnection2;

private:
    struct TLogin {
        bool Asked = false;
        std::string User, Password;
    };
    TLogin login1_, login2_;
};

} // namespace smx
