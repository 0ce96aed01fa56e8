// Shared pieces of the parser tests: a probe that opens the scanner to the tests, a recorder of the
// statements and messages a parser reports (in the order they happen), and the transcript format
// the golden cases compare.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/smxDBStructure.h"
#include "parsing/smxIBParser.h"
#include "platform/smxStrUtils.h"

namespace smx::test {

/// A parser of class P whose scanner a test drives directly.
template <class P> class TProbe : public P {
public:
    using P::P;
    /// Puts Text under the scanner (with container C for the InterBase options) and reads the first token.
    void Load(std::string Text, TObjs* C = nullptr) {
        this->Container_ = C;
        this->LoadText(std::move(Text));
        this->NextToken();
    }
    using P::GetCheckedInt;
    using P::ReadString;
};

inline constexpr std::array<std::string_view, 15> OperationNames = {
    "odbUnknown", "odbCreate",      "odbAlter",     "odbDrop",   "odbEmpty",
    "odbRestore", "odbEmptyCreate", "odbEmptyDrop", "odbSet",    "odbCommit",
    "odbComment", "odbDescription", "odbInsert",    "odbUpdate", "odbDelete"};

inline constexpr std::array<std::string_view, 32> ObjectNames = {
    "dboUnknown", "dboTable",    "dboProcedure",  "dboTrigger",    "dboFunction",    "dboException",
    "dboIndex",   "dboDomain",   "dboView",       "dboGenerator",  "dboEvent",       "dboField",
    "dboParam",   "dboDatabase", "dboBlobFilter", "dboCollation",  "dboConstraint",  "dboPKey",
    "dboFKey",    "dboUnique",   "dboCheck",      "dboReferences", "dboCtrDefault",  "dboRole",
    "dboGrant",   "dboRule",     "dboDefault",    "dboPackage",    "dboPackageBody", "dboPublication",
    "dboSchema",  "dboOperator"};

inline std::string NameOf(TDbOperation Op) {
    return std::string(OperationNames.at(static_cast<std::size_t>(Op)));
}
inline std::string NameOf(TDbObject Kind) {
    const auto i = static_cast<std::size_t>(Kind);
    return i < ObjectNames.size() ? std::string(ObjectNames[i]) : "dbo#" + std::to_string(i);
}
inline std::string NameOf(TStatType T) {
    return "st" + std::string(GetStatTypeName(T));
}

/// Control characters of a text made visible (\r, \n, \t, \xNN) so a transcript stays one line each.
inline std::string Visible(std::string_view S) {
    static const char* Hex = "0123456789ABCDEF";
    std::string R;
    for (char C : S) {
        const auto U = static_cast<unsigned char>(C);
        if (C == '\r')
            R += "\\r";
        else if (C == '\n')
            R += "\\n";
        else if (C == '\t')
            R += "\\t";
        else if (C == '\\')
            R += "\\\\";
        else if (U < 32 || U == 127)
            R += std::string("\\x") + Hex[U >> 4] + Hex[U & 15];
        else
            R += C;
    }
    return R;
}

/// One statement as the parser reported it.
struct TReport {
    std::string Text;
    TStatType Type = TStatType::stConnect;
    std::string Name;
    std::string Parent;
    TDbOperation Op = TDbOperation::odbUnknown;
    TDbObject Kind = TDbObject::dboUnknown;
};

/// Records what a parser reports: statements, error events, log lines, and a transcript in which
/// the recorded messages appear where they were recorded.
class TRecorder {
public:
    explicit TRecorder(TCustomParser& Parser) : Parser_(Parser) {
        Parser.OnStatement = [this](TObject*, const std::string& Text, TStatement*& St,
                                    const std::string& Parent, TDbOperation Op, TDbObject Kind,
                                    const std::string& Name, TStatType Type) {
            FlushMessages();
            Reports.push_back({Text, Type, Name, Parent, Op, Kind});
            Transcript += NameOf(Type) + " " + NameOf(Op) + " " + NameOf(Kind) + " name=" + Visible(Name) +
                          (Parent.empty() ? "" : " parent=" + Visible(Parent)) + " | " + Visible(Text) + "\n";
            if (OnReport) OnReport(static_cast<int>(Reports.size()), St);
        };
        Parser.OnErrorMessage = [this](TObject*, const std::string& Text) { ErrorEvents.push_back(Text); };
        Parser.OnLogNextLine = [this](TObject*, const std::string& Text) { Logs.push_back(Text); };
    }

    /// Appends the messages recorded since the last call to the transcript.
    void FlushMessages() {
        const TMsgManager& M = Parser_.GetMsgManager();
        for (; Seen_ < M.Count(); ++Seen_) {
            const TMsgData& D = M[Seen_];
            Transcript += std::string(D.Kind == 2   ? "E "
                                      : D.Kind == 1 ? "W "
                                                    : "I ") +
                          (!CaseFolder.empty() && !D.ScriptName.empty() ? Masked(D.ScriptName) + " " : "") +
                          std::to_string(D.LineNo) + ":" + std::to_string(D.ColumnNo) + " " +
                          Visible(Masked(D.Text)) + "\n";
        }
    }
    /// Text with every occurrence of CaseFolder written "<case>".
    std::string Masked(std::string Text) const {
        if (CaseFolder.empty()) return Text;
        for (auto At = Text.find(CaseFolder); At != std::string::npos; At = Text.find(CaseFolder, At))
            Text.replace(At, CaseFolder.size(), "<case>");
        return Text;
    }
    /// The texts of the recorded kind-2 messages.
    std::vector<std::string> Errors() const {
        std::vector<std::string> R;
        const TMsgManager& M = Parser_.GetMsgManager();
        for (int i = 0; i < M.Count(); ++i)
            if (M[i].Kind == 2) R.push_back(M[i].Text);
        return R;
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> R;
        for (const TReport& Rep : Reports)
            R.push_back(Rep.Text);
        return R;
    }

    std::vector<TReport> Reports;
    std::vector<std::string> ErrorEvents;
    std::vector<std::string> Logs;
    std::string Transcript;
    /// When set, messages name their script first, and this folder is written "<case>".
    std::string CaseFolder;
    /// Called after each report with its 1-based number and the statement variable.
    std::function<void(int, TStatement*&)> OnReport;

private:
    TCustomParser& Parser_;
    int Seen_ = 0;
};

/// A structure whose container is set up for InterBase parsing in the given version and dialect.
struct TIbSetup {
    explicit TIbSetup(TIBSQLServerVersionType Version = TIBSQLServerVersionType::st_Firebird_30,
                      int Dialect = 3) {
        Structure.SetDatabaseType(TDatabaseType::dbInterBase);
        Objs().GetIBServerOptions().SetSQLServerVersion(Version);
        Objs().GetIBServerOptions().SetSQLDialect(Dialect);
    }
    TObjs& Objs() { return *Structure.Objs(); }
    TDBStructure Structure;
};

/// The lines of a text (split on CR LF, CR or LF) as a string list.
inline TStringList LinesOf(std::string_view Text) {
    TStringList L;
    L.SetText(Text);
    return L;
}

} // namespace smx::test
