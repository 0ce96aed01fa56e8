// Speed of the body parser: ParseBody of a procedure of n statements (each a SELECT over two tables
// with a subquery, an IF and an assignment), and of a view whose select list nests n levels of
// subqueries. Both must grow linearly: a select list is read once, whatever its depth. Every run
// checks that no error was recorded and that the dependencies were found.
#include <benchmark/benchmark.h>

#include <string>

#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Viw.h"
#include "model/smxDBStructure.h"
#include "parsing/smxIBExParser.h"

namespace {

using namespace smx;

struct Setup {
    Setup() {
        S.SetDatabaseType(TDatabaseType::dbInterBase);
        S.Objs()->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        S.Objs()->GetIBServerOptions().SetSQLDialect(3);
        for (const char* Name : {"T", "U"}) {
            auto* T = new TTblData(S.Objs());
            T->SetName(Name);
            for (const char* C : {"ID", "A", "B"})
                T->AddField(C)->DataType = 1;
            S.Objs()->AddObject(T, true);
        }
        TStringList None;
        P.ParseScript(None, S.Objs());
        S.Objs()->GetIBServerOptions().SetSQLDialect(3);
    }
    TDBStructure S;
    TIbExParser P;
};

void BM_ProcedureBody(benchmark::State& State) {
    Setup X;
    std::string Body = "DECLARE N INTEGER; BEGIN\n";
    for (int i = 0; i < State.range(0); ++i)
        Body += "  SELECT T.A + (SELECT MAX(U.B) FROM U WHERE U.ID = T.ID) FROM T WHERE T.ID = :N INTO :N;\n"
                "  IF (N > 0) THEN N = N - 1;\n";
    Body += "END";
    TPrcData Proc(X.S.Objs());
    Proc.SetName("P");
    Proc.SetSource(Body);
    for (auto _ : State) {
        Proc.ClearDependencies();
        X.P.ParseBody(&Proc);
    }
    if (X.P.GetMsgManager().HasErrors() || Proc.GetDependsOn().Count() == 0)
        State.SkipWithError("parse failed");
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Body.size()));
}
BENCHMARK(BM_ProcedureBody)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_NestedSelectList(benchmark::State& State) {
    Setup X;
    std::string Sel = "SELECT A FROM T";
    for (int i = 0; i < State.range(0); ++i)
        Sel = "SELECT (" + Sel + "), B FROM U";
    TViwData View(X.S.Objs());
    View.SetName("V");
    View.SetSource(Sel);
    for (auto _ : State) {
        View.ClearDependencies();
        X.P.ParseBody(&View);
    }
    if (X.P.GetMsgManager().HasErrors() || View.GetDependsOn().Count() == 0)
        State.SkipWithError("parse failed");
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * Sel.size()));
}
BENCHMARK(BM_NestedSelectList)->Arg(10)->Arg(40)->Arg(150)->Unit(benchmark::kMicrosecond);

} // namespace
