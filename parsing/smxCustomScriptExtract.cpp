// The script extraction run. The extractor's own errors and the parser's go into one message list,
// the parser's, which the comparer reads before it compares: an extraction that lost a file must
// stop the comparison, not let it answer a partial structure with drops.
#include "parsing/smxCustomScriptExtract.h"

#include <algorithm>
#include <filesystem>
#include <fnmatch.h>
#include <system_error>
#include <vector>

#include "foundation/smxMsg.h"
#include "model/smxDBStructure.h"
#include "parsing/smxParser.h"

namespace smx {

TCustomScriptExtract::TCustomScriptExtract(TComponent* AOwner) : TCustomExtract(AOwner) {}

TCustomScriptExtract::~TCustomScriptExtract() = default;

std::unique_ptr<TCustomParser> TCustomScriptExtract::CreateParser() {
    return std::make_unique<TCustomSQLParser>(this);
}

void TCustomScriptExtract::WireParser() {
    if (!Parser_) return;
    Parser_->OnErrorMessage = GetOnErrorMessage();
    Parser_->OnLogNextLine = GetOnLogNextLine();
    Parser_->OnDebugMessage = OnDebugMessage;
    Parser_->OnProgressUpdate = GetOnProgressUpdate();
}

void TCustomScriptExtract::SetOnErrorMessage(TErrorMessageEvent Handler) {
    TCustomExtract::SetOnErrorMessage(std::move(Handler));
    if (Parser_) Parser_->OnErrorMessage = GetOnErrorMessage();
}

void TCustomScriptExtract::SetDBStructure(TCustomDBStructure* Structure) {
    Parser_.reset();
    TCustomExtract::SetDBStructure(Structure);
    if (!Structure) return;
    Parser_ = CreateParser();
    WireParser();
}

void TCustomScriptExtract::Notification(TComponent* AComponent, TOperation Operation) {
    const bool Structure = Operation == TOperation::opRemove && AComponent && AComponent == GetDBStructure();
    TCustomExtract::Notification(AComponent, Operation);
    if (Structure) Parser_.reset(); // it refers to the structure's container
}

TMsgManager& TCustomScriptExtract::GetMsgManager() {
    return Parser_ ? Parser_->GetMsgManager() : TCustomExtract::GetMsgManager();
}

void TCustomScriptExtract::DoErrorMessage(const std::string& Text) {
    if (GetOnErrorMessage())
        GetOnErrorMessage()(this, Text);
    else
        ShowMessageBox(Text);
    GetMsgManager().AddMessage(Text, 2);
}

void TCustomScriptExtract::SetScriptFileName(std::string_view Value) {
    ScriptFileName_ = Value;
    UnmatchedMasks_.Clear();
    SplitScriptFileNames(ScriptFileName_, FileNames_, &UnmatchedMasks_);
}

void TCustomScriptExtract::SplitScriptFileNames(std::string_view Text, TStringList& List,
                                                TStringList* Unmatched) {
    List.Clear();
    std::vector<std::string> Names;
    if (!Text.empty() && Text.front() == '"' && Text.find(' ') != std::string_view::npos) {
        std::size_t i = 0;
        while ((i = Text.find('"', i)) != std::string_view::npos) {
            const std::size_t E = Text.find('"', i + 1);
            if (E == std::string_view::npos) break;
            Names.emplace_back(Text.substr(i + 1, E - i - 1));
            i = E + 1;
        }
    } else {
        std::string_view N = Text;
        if (N.size() >= 2 && N.front() == '"' && N.back() == '"') N = N.substr(1, N.size() - 2);
        Names.emplace_back(N);
    }
    for (const std::string& N : Names) {
        if (N.empty()) continue;
        const int Before = List.Count();
        AddFilesByMask(N, List);
        if (List.Count() == Before && Unmatched) Unmatched->Add(N);
    }
}

void TCustomScriptExtract::AddFilesByMask(std::string_view Mask, TStringList& List) {
    const std::size_t Slash = Mask.rfind('/');
    const std::string Dir(Slash == std::string_view::npos ? std::string_view() : Mask.substr(0, Slash + 1));
    const std::string Pattern(Slash == std::string_view::npos ? Mask : Mask.substr(Slash + 1));
    if (Pattern.find_first_of("*?[") == std::string::npos) {
        List.Add(Mask);
        return;
    }
    namespace fs = std::filesystem;
    std::vector<std::string> Found;
    std::error_code Ec;
    for (fs::directory_iterator It(Dir.empty() ? fs::path(".") : fs::path(Dir), Ec), End; !Ec && It != End;
         It.increment(Ec)) {
        std::error_code TypeEc;
        if (!It->is_regular_file(TypeEc)) continue;
        const std::string Name = It->path().filename().string();
        if (fnmatch(Pattern.c_str(), Name.c_str(), FNM_PERIOD) == 0) Found.push_back(Name);
    }
    std::sort(Found.begin(), Found.end());
    for (const std::string& Name : Found)
        List.Add(Dir + Name);
}

void TCustomScriptExtract::PrepareParser() {
    TCustomDBStructure* S = GetDBStructure();
    if (!S || !S->GetObjs()) return;
    S->GetObjs()->GetConnectionOptions().SetDefaults();
    LogServerVersion();
}

bool TCustomScriptExtract::ExtractDatabase() {
    TCustomExtract::ExtractDatabase();
    GetMsgManager().Clear();
    TCustomDBStructure* S = GetDBStructure();
    if (!S || !Parser_) {
        DoErrorMessage("DBStructure not assigned. (" + std::string(ClassName()) + ") " + GetName());
        return false;
    }
    bool Result = true;
    S->Clear();
    LoadedScript_.Clear();
    TObjs* Objs = dynamic_cast<TObjs*>(S->GetObjs());
    if (Objs) Objs->SetDatabaseType(GetDatabaseType());
    // A run never inherits the terminator an earlier run (or a body analysis) left behind.
    Parser_->SetTerminator(Parser_->GetDefaultTerminator());
    PrepareParser();
    // A mask without a match would leave the side without the objects it was meant to read, and
    // the update script would drop them: the run fails, though the other files are still read.
    for (int i = 0; i < UnmatchedMasks_.Count(); ++i) {
        DoErrorMessage("No file matches " + UnmatchedMasks_[i]);
        Result = false;
    }
    if (FileNames_.Count() == 0) {
        if (UnmatchedMasks_.Count() == 0)
            DoErrorMessage("ScriptFileName(s) is empty. (" + std::string(ClassName()) + ") " + GetName());
        return false;
    }
    std::string Empty; // the parsed files, as long as none of them held a statement
    bool AnyStatement = false;
    for (int i = 0; i < FileNames_.Count(); ++i) {
        if (StopRequested) { // a run cut short must not pass for a complete one
            DoErrorMessage("Extraction stopped.");
            Result = false;
            break;
        }
        const std::string Name = FileNames_[i];
        bool Loaded = false;
        if (OnLoadScript) {
            OnLoadScript(this, Name, LoadedScript_, Loaded);
        } else {
            std::error_code Ec;
            Loaded = std::filesystem::is_regular_file(Name, Ec);
            if (!Loaded) {
                DoErrorMessage((std::filesystem::exists(Name, Ec) ? "Not a file: " : "File not found: ") +
                               Name);
                Result = false;
                continue;
            }
        }
        if (Loaded) {
            Parser_->SetScriptName(Name);
            Parser_->ParseFile(Name, Objs);
            AnyStatement = AnyStatement || Parser_->GetStatementCount() > 0;
            Empty += (Empty.empty() ? "" : ", ") + Name;
        } else {
            DoErrorMessage("Script not load: " + Name);
        }
        Result = Result && !GetMsgManager().HasErrors();
    }
    // A side whose files hold nothing but blanks and comments is no empty schema but a mistake (an
    // empty or truncated file): compared, it would drop every object of the other side.
    if (Result && !AnyStatement && !Empty.empty() && !GetMsgManager().HasErrors()) {
        DoErrorMessage("No statement in " + Empty);
        Result = false;
    }
    Result = Result && !GetMsgManager().HasErrors();
    if (Result && Objs) {
        if (auto* SQL = dynamic_cast<TCustomSQLParser*>(Parser_.get())) {
            TStringList& Domains = Objs->Domains();
            for (int i = 0; i < Domains.Count(); ++i)
                if (auto* D = dynamic_cast<TDbObj*>(Domains.Objects(i))) SQL->ParseBody(D);
        }
        Parser_->LinkObjects();
        Result = !GetMsgManager().HasErrors();
    }
    return Result;
}

} // namespace smx
