// libFuzzer target over the InterBase script parser and its body parser, through every entry the
// extractors use. Byte 0 of the input chooses the server version (two values beyond the known ones
// included), byte 1 the SQL dialect, ParseFile or ParseScript and whether a handler sets the stop
// flag; the rest is the script. The parser runs its statement loop on a container holding a few
// objects, then, as the script extractor does, the body pass over the domains and the link passes,
// and, as the metadata extractor does, re-parses the stored text of every procedure, trigger, view,
// index, computed column and check constraint (and the other kinds' refusal); then everything is
// freed. INPUT reads no files here: a read hook serves the script itself and one small fixed file.
//
// Checked on every input, beyond the sanitizers: no exception escapes; every reported text is a
// piece of a source the parser read; the terminator is never empty, and a body pass leaves it as it
// was; every pass of the loop consumed a token; a run that ended before its text did recorded a
// kind-2 message.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/smxComp_Dmn.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Tbl.h"
#include "model/smxDBStructure.h"
#include "parsing/smxIBExParser.h"

namespace {

using namespace smx;

[[noreturn]] void Fail(const char* What) {
    std::fprintf(stderr, "invariant broken: %s\n", What);
    std::abort();
}

template <class T> T* Add(TObjs& Objs, const char* Name) {
    auto* O = new T(&Objs);
    O->SetName(Name);
    Objs.AddObject(O, true);
    return O;
}

constexpr std::string_view OtherFile = "INPUT 'fuzz.sql'; DROP TABLE T; SET TERM ^ ;";

void RunOne(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 2) return;
    const auto Version = static_cast<TIBSQLServerVersionType>(Data[0] % (IBSQLServerVersionCount + 2));
    const int Dialect = 1 + (Data[1] & 3) % 3;
    const bool AsFile = (Data[1] & 4) != 0;
    const bool Stop = (Data[1] & 8) != 0;
    const std::string Script(reinterpret_cast<const char*>(Data + 2), Size - 2);

    TDBStructure Structure;
    Structure.SetDatabaseType(TDatabaseType::dbInterBase);
    TObjs& Objs = *Structure.Objs();
    Objs.GetIBServerOptions().SetSQLServerVersion(Version);
    Objs.GetIBServerOptions().SetSQLDialect(Dialect);
    Add<TGnrData>(Objs, "G");
    Add<TDmnData>(Objs, "D");
    Add<TPrcData>(Objs, "P");
    Add<TRolData>(Objs, "R");
    auto* T = Add<TTblData>(Objs, "T");
    TFldData* A = T->AddField("A");
    A->DataType = DomainDataType;
    A->DomainName = "D";

    TIbExParser Parser; // the parser users create: bodies and expressions are parsed too
    TStringList Lines;
    Lines.SetText(Script);
    const std::string Sources[] = {DecodeScriptBytes(Script), Lines.Text(), std::string(OtherFile)};
    int Reports = 0;
    Parser.OnErrorMessage = [](TObject*, const std::string&) {};
    Parser.OnStatement = [&](TObject*, const std::string& Text, TStatement*&, const std::string&,
                             TDbOperation, TDbObject, const std::string&, TStatType) {
        bool Found = false;
        for (const std::string& S : Sources)
            Found = Found || S.find(Text) != std::string::npos;
        if (!Found) Fail("a reported text is no piece of the source");
        if (Parser.GetTerminator().empty()) Fail("empty terminator");
        if (Stop && ++Reports == 3) StopRequested = true;
    };
    Parser.ReadFileHook = [&](const std::string& Name, std::string& Bytes) {
        if (Name == "fuzz.sql")
            Bytes = Script;
        else if (Name == "other.sql")
            Bytes = OtherFile;
        else
            return TFileReadStatus::frNotFound;
        return TFileReadStatus::frOk;
    };
    if (AsFile) {
        Parser.ParseFile("fuzz.sql", &Objs);
    } else {
        Parser.SetScriptName("fuzz.sql");
        Parser.ParseScript(Lines, &Objs);
    }
    StopRequested = false;
    if (Parser.GetTerminator().empty()) Fail("empty terminator");
    if (Parser.GetStalledPasses() != 0) Fail("a pass of the loop consumed no token");
    if (!Parser.GetReachedEnd() && !Parser.GetMsgManager().HasErrors())
        Fail("an early stop without an error");
    const std::string Terminator = Parser.GetTerminator();
    auto Body = [&](TDbObj* Obj) {
        Parser.ParseBody(Obj);
        if (Parser.GetTerminator() != Terminator) Fail("a body pass changed the terminator");
    };
    for (int i = 0; i < Objs.Domains().Count(); ++i)
        Body(dynamic_cast<TDbObj*>(Objs.Domains().Objects(i)));
    Parser.LinkObjects();
    for (TObjsList L : {TObjsList::olProcedures, TObjsList::olTriggers, TObjsList::olViews,
                        TObjsList::olIndices, TObjsList::olConstraints, TObjsList::olGenerators})
        for (int i = 0; i < Objs.List(L).Count(); ++i)
            Body(dynamic_cast<TDbObj*>(Objs.List(L).Objects(i)));
    for (int i = 0; i < Objs.Tables().Count(); ++i)
        if (auto* Table = dynamic_cast<TTblData*>(Objs.Tables().Objects(i)))
            for (int f = 0; f < Table->FieldCount(); ++f)
                if (TFldData* F = Table->Field(f); F && !F->GetSource().empty()) Body(F);
    Body(nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    try {
        RunOne(Data, Size);
    } catch (const std::exception& E) {
        std::fprintf(stderr, "exception escaped: %s\n", E.what());
        std::abort();
    } catch (...) {
        Fail("an exception escaped");
    }
    return 0;
}
