// Shared pieces of the demo window tests: one QApplication for the test program, the example
// databases made once by make-example.sh (in a folder whose name holds a quote and non-ASCII
// letters) and copied for each test, and a fixture that opens the window on a settings file in a
// temporary working folder with recording message-box and login hooks.
#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QTest>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "demo/IBDataModuleIbx.h"
#include "demo/Unit1Ibx.h"
#include "platform/smxUIHooks.h"
#include "tests/support/smxTestDb.h"

// The leak checker's entry, present in sanitizer builds only.
extern "C" void __lsan_do_leak_check() __attribute__((weak));

namespace smx::test {

/// The program's application object (offscreen unless the environment says otherwise), made by
/// the first test that needs it and freed before the program's static objects go. Leaks are looked
/// for then, while the Firebird engine's plug-ins are loaded to name their frames (not so at exit).
class QtEnvironment : public ::testing::Environment {
public:
    static QApplication& App() {
        static int argc = 1;
        static char name[] = "demo_tests";
        static char* argv[] = {name, nullptr};
        if (!app_) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            // Qt's own event dispatcher: GLib's keeps allocations alive past the program's end.
            qputenv("QT_NO_GLIB", "1");
            app_ = new QApplication(argc, argv);
        }
        return *app_;
    }
    void TearDown() override {
        delete app_;
        app_ = nullptr;
        if (__lsan_do_leak_check) __lsan_do_leak_check();
    }

private:
    static inline QApplication* app_ = nullptr;
};
inline ::testing::Environment* const QtEnvironmentInstance =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

inline QApplication& App() {
    return QtEnvironment::App();
}

/// The shell word for s (single-quoted).
inline std::string ShellQuoted(const std::string& s) {
    std::string r = "'";
    for (char c : s)
        r += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return r + "'";
}

/// The whole file (empty when it cannot be read).
inline std::string ReadFileText(const std::string& Path) {
    std::ifstream in(Path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

/// The name of the example folder: a quote and non-ASCII letters, as users' paths have.
inline const char* ExampleFolderName = "o'k Zürich";

/// The example made once by make-example.sh; tests copy it, since Update changes the target.
inline const std::string& PristineExample() {
    static TTempDir dir("smxdemo-example");
    static const std::string folder = [] {
        const std::string f = dir.File(ExampleFolderName);
        const std::string cmd = "bash " +
                                ShellQuoted(std::string(SMX_SOURCE_DIR) + "/demo/example/make-example.sh") +
                                " " + ShellQuoted(f);
        if (std::system(cmd.c_str()) != 0) throw std::runtime_error("make-example.sh failed");
        return f;
    }();
    return folder;
}

/// The window on a settings file in a fresh working folder.
class DemoWindow : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        char buf[4096];
        if (getcwd(buf, sizeof buf)) oldCwd_ = buf;
        ASSERT_EQ(chdir(dir_.Path().c_str()), 0);
        oldBox_ = SetMessageBoxHook([this](const std::string& Text) { boxes.push_back(Text); });
    }
    void TearDown() override {
        form.reset();
        module.reset();
        SetMessageBoxHook(oldBox_);
        if (!oldCwd_.empty()) (void)chdir(oldCwd_.c_str());
    }

    std::string SettingsFile() const { return dir_.File("Lirvendo.Ini"); }
    const TTempDir& Dir() const { return dir_; }

    /// Opens the window (the data module first) with the recording login hook on both databases.
    void Open() {
        module = std::make_unique<TDataMdIbx>();
        form = std::make_unique<TForm1>(*module, SettingsFile());
        module->LoginPrompt = [this](TIBDatabase& Database, TStringList&) {
            logins.push_back(Database.GetDatabaseName());
        };
        form->show();
    }
    /// Closes and frees the window (writing the settings file).
    void Close() {
        form->close();
        form.reset();
    }

    /// A copy of the example in the working folder; returns its folder.
    std::string CopyExample() {
        const std::string to = dir_.File(ExampleFolderName);
        std::filesystem::copy(PristineExample(), to, std::filesystem::copy_options::recursive);
        return to;
    }
    /// The example's copy in the edits: both databases and scripts, table CUSTOMER, key ID.
    std::string UseExample() {
        const std::string ex = CopyExample();
        Edit("fnDatabaseMaster")->setText(QString::fromUtf8((ex + "/master.fdb").c_str()));
        Edit("fnDatabaseTarget")->setText(QString::fromUtf8((ex + "/target.fdb").c_str()));
        Edit("fnScriptMaster")->setText(QString::fromUtf8((ex + "/master.sql").c_str()));
        Edit("fnScriptTarget")->setText(QString::fromUtf8((ex + "/target.sql").c_str()));
        Edit("EditTableM")->setText("CUSTOMER");
        Combo("cbCompareMode")->setCurrentIndex(3);
        Edit("EditCustomFlds")->setText("ID");
        return ex;
    }

    template <class W> W* Find(const char* Name) const {
        W* w = form->findChild<W*>(Name);
        EXPECT_NE(w, nullptr) << Name;
        return w;
    }
    QLineEdit* Edit(const char* Name) const { return Find<QLineEdit>(Name); }
    QAbstractButton* Button(const char* Name) const { return Find<QAbstractButton>(Name); }
    QRadioButton* Radio(const char* Name) const { return Find<QRadioButton>(Name); }
    QComboBox* Combo(const char* Name) const { return Find<QComboBox>(Name); }
    QProgressBar* Gauge(const char* Name) const { return Find<QProgressBar>(Name); }
    void Click(const char* Name) { QTest::mouseClick(Button(Name), Qt::LeftButton); }

    /// The log pane's lines.
    std::vector<std::string> Log() const { return Lines(Find<QPlainTextEdit>("MemoExtr")->toPlainText()); }
    /// The result pane's text.
    std::string Result() const {
        return Find<QPlainTextEdit>("MemoResult")->toPlainText().toUtf8().toStdString();
    }
    /// Index of the first log line equal to Line, -1 when absent.
    int LogIndex(const std::string& Line) const {
        const auto log = Log();
        for (std::size_t i = 0; i < log.size(); ++i)
            if (log[i] == Line) return static_cast<int>(i);
        return -1;
    }
    /// Number of log lines equal to Line (or starting with it when Prefix).
    int LogCount(const std::string& Line, bool Prefix = false) const {
        int n = 0;
        for (const std::string& l : Log())
            n += (Prefix ? l.rfind(Line, 0) == 0 : l == Line) ? 1 : 0;
        return n;
    }
    static std::vector<std::string> Lines(const QString& Text) {
        std::vector<std::string> r;
        std::istringstream in(Text.toUtf8().toStdString());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            r.push_back(line);
        }
        return r;
    }

    /// What a run saw at its first message-pump call.
    struct TReentry {
        int Pumps = 0;
        std::vector<std::string> EnabledAtPump; ///< buttons still enabled then (should be none)
        bool VisibleAfterClose = false;         ///< the window stayed open when asked to close
    };
    /// Clicks Name; at the run's first pump call clicks every button of the window, calls
    /// DirectCall (a handler called without its button) and asks the window to close.
    TReentry ClickProbingReentry(const char* Name, const std::function<void()>& DirectCall) {
        TReentry r;
        TMessagePumpHook old = SetMessagePumpHook([&] {
            if (++r.Pumps != 1) return;
            for (const char* b : {"BtnExtract", "BtnCompare", "BtnUpdate", "BtnDataCompare", "BitBtn2",
                                  "BtnSelDatabaseMaster", "BtnSelDatabaseTarget", "BtnSelScriptMaster",
                                  "BtnSelScriptTarget"}) {
                if (Button(b)->isEnabled()) r.EnabledAtPump.push_back(b);
                QTest::mouseClick(Button(b), Qt::LeftButton);
            }
            DirectCall();
            form->close();
            r.VisibleAfterClose = form->isVisible();
        });
        Click(Name);
        SetMessagePumpHook(old);
        return r;
    }

    std::unique_ptr<TDataMdIbx> module;
    std::unique_ptr<TForm1> form;
    std::vector<std::string> boxes;
    std::vector<std::string> logins;

private:
    TTempDir dir_{"smxdemo"};
    std::string oldCwd_;
    TMessageBoxHook oldBox_;
};

} // namespace smx::test
