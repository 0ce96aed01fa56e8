// What the demo program installs around its window: the message box, the message pump, the
// trace hook and the login prompt of both database components. Shared by the program and the
// screenshot program, so both show the window as the user sees it.
#pragma once

#include <QPointer>

#include "demo/Unit1Ibx.h"
#include "model/smxDBStructure.h"
#include "platform/smxUIHooks.h"

namespace smx {

class TIBDatabase;

/// The login prompt: a dialog asking for user and password, which go into LoginParams
/// ("user_name", "password"). Throws EDatabaseError "Login cancelled" when cancelled.
void LoginDialog(TIBDatabase& Database, TStringList& LoginParams);

/// Installs the Qt message box, processEvents as the message pump, the form's TraceToLogMemo as
/// the trace hook and LoginDialog as the data module's login prompt; the destructor restores the
/// hooks that were there before. The trace hook drops lines once the form is gone.
class TDemoHooks {
public:
    explicit TDemoHooks(TForm1& Form);
    ~TDemoHooks();
    TDemoHooks(const TDemoHooks&) = delete;
    TDemoHooks& operator=(const TDemoHooks&) = delete;

private:
    TMessageBoxHook oldBox_;
    TMessagePumpHook oldPump_;
    TTraceProc oldTrace_;
};

} // namespace smx
