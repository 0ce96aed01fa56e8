// Script extractors: components that fill a structure from SQL script files instead of a live
// database. TCustomScriptExtract holds the file list, the parser and the extraction run; a dialect's
// extractor (smxIBScriptExtract) chooses the parser. The comparer calls ExtractDatabase on it like on
// a database extractor and reads its messages through GetMsgManager.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "model/smxClasses.h"
#include "platform/smxStringList.h"

namespace smx {

class TCustomParser;

/// Fills the assigned structure from one or more script files.
class TCustomScriptExtract : public TCustomExtract {
public:
    explicit TCustomScriptExtract(TComponent* AOwner = nullptr);
    ~TCustomScriptExtract() override;
    SMX_CLASSNAME(TCustomScriptExtract)

    /// Stores the handler and passes it on to the parser.
    void SetOnErrorMessage(TErrorMessageEvent Handler) override;
    /// The old parser is freed; with a structure a new one is made and gets the extractor's error,
    /// log, debug and progress handlers.
    void SetDBStructure(TCustomDBStructure* Structure) override;
    /// The one list the parser and the extractor's own errors are recorded in (the parser's; the
    /// extractor's own list while there is no parser).
    TMsgManager& GetMsgManager() override;
    /// The handler (else the message box), and a kind-2 record in GetMsgManager.
    void DoErrorMessage(const std::string& Text) override;
    /// Clears the structure and parses every file of the list into it (each file's problems are
    /// recorded, and the other files are still parsed); then, when no error was recorded, domain
    /// checks and defaults are analysed and the dependency passes run. True when no error was
    /// recorded. Every run starts with the terminator ";". A side that reads nothing fails: a mask
    /// without a match records "No file matches " + the mask, a folder "Not a file: " + its name,
    /// and files holding no statement at all "No statement in " + their names.
    bool ExtractDatabase() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    const std::string& GetScriptFileName() const { return ScriptFileName_; }
    /// Stores the text and rebuilds the file-name list (and the list of masks without a match) from it.
    void SetScriptFileName(std::string_view Value);
    /// The expanded file names, in the order they are parsed.
    const TStringList& GetFileNames() const { return FileNames_; }
    /// The names of the text with wildcards that matched no file when it was set.
    const TStringList& GetUnmatchedMasks() const { return UnmatchedMasks_; }
    /// The lines an OnLoadScript handler may fill (not parsed: the file itself is).
    TStringList& GetLoadedScript() { return LoadedScript_; }
    /// The parser, or nullptr without a structure.
    TCustomParser* GetParser() const { return Parser_.get(); }

    /// Splits a file-name text into names: a text starting with a double quote and holding a blank
    /// is a run of double-quoted names; any other text is one name (one enclosing pair of double
    /// quotes removed). Each name goes through AddFilesByMask; a mask that adds nothing goes to
    /// Unmatched when given.
    static void SplitScriptFileNames(std::string_view Text, TStringList& List,
                                     TStringList* Unmatched = nullptr);
    /// A name with "*" or "?" in its last part adds the regular files of its folder that match
    /// (case-sensitively, in byte order of their names, with the folder in front); a name without
    /// them is added as it stands, so a missing file is reported when the run reaches it.
    static void AddFilesByMask(std::string_view Mask, TStringList& List);

    TLoadScriptEvent OnLoadScript;

protected:
    /// The parser of the extractor's dialect; the base makes a generic SQL parser.
    virtual std::unique_ptr<TCustomParser> CreateParser();
    /// Resets the container's connection options and logs its server-version text.
    virtual void PrepareParser();

private:
    void WireParser();

    TStringList LoadedScript_;
    std::string ScriptFileName_;
    TStringList FileNames_;
    TStringList UnmatchedMasks_;
    std::unique_ptr<TCustomParser> Parser_;
};

} // namespace smx
