// Parsing speed of the InterBase script parser: a generated Firebird script of 5,000 and 10,000
// tables (about 3 and 6 MB), each with 20 columns, a primary key, an index, a foreign key and a
// comment, plus views, procedures in SET TERM blocks and generators, read with ParseFile. Every run
// checks the number of reported statements and that no error was recorded. The time per MB must not
// grow with the size. A warm-up of untimed runs comes first: the first parse in a process also pays
// for the operating system handing out its memory, which on some virtual machines costs seconds and
// says nothing about the parser.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

#include "model/smxDBStructure.h"
#include "parsing/smxIBParser.h"

namespace {

using namespace smx;

std::string Num(int I) {
    char B[16];
    std::snprintf(B, sizeof B, "%05d", I);
    return B;
}

/// The script of Tables tables and the number of statements the parser reports for it.
std::string MakeScript(int Tables, int& Reports) {
    std::string S = "SET SQL DIALECT 3;\nSET NAMES UTF8;\n\n";
    Reports = 2;
    static const char* Types[] = {
        "INTEGER",          "VARCHAR(40)",         "NUMERIC(15,2)",    "TIMESTAMP", "BLOB SUB_TYPE TEXT",
        "DOUBLE PRECISION", "CHAR(1) DEFAULT 'N'", "SMALLINT NOT NULL"};
    for (int t = 0; t < Tables; ++t) {
        const std::string T = "T" + Num(t);
        S += "CREATE TABLE " + T + " (\n  ID BIGINT NOT NULL,\n  PARENT_ID BIGINT";
        for (int c = 2; c < 20; ++c)
            S += ",\n  C" + std::to_string(c) + " " + Types[c % 8];
        S += ",\n    CONSTRAINT PK_" + T + " PRIMARY KEY (ID));\n";
        S += "CREATE INDEX IX_" + T + " ON " + T + " (C2, C3);\n";
        S += "ALTER TABLE " + T + " ADD CONSTRAINT FK_" + T + " FOREIGN KEY (PARENT_ID) REFERENCES T" +
             Num(t > 0 ? t - 1 : 0) + " (ID) ON DELETE CASCADE;\n";
        S += "COMMENT ON TABLE " + T + " IS 'It''s table " + std::to_string(t) + "';\n";
        Reports += 4;
        if (t % 10 == 0) {
            S += "CREATE GENERATOR G_" + T + ";\nCREATE VIEW V_" + T + " (ID, C2) AS\nSELECT ID, C2 FROM " +
                 T + " WHERE C3 > 0;\n";
            Reports += 2;
        }
        if (t % 20 == 0) {
            S += "SET TERM ^ ;\nCREATE OR ALTER PROCEDURE P_" + T +
                 " (X INTEGER)\nRETURNS (Y INTEGER)\nAS\nBEGIN\n  /* a comment; with a semicolon */\n"
                 "  FOR SELECT ID FROM " +
                 T +
                 " WHERE C2 = :X INTO :Y DO\n    SUSPEND; -- next\nEND ^\n"
                 "SET TERM ; ^\n";
            Reports += 1;
        }
    }
    return S;
}

void ParseFileOfTables(benchmark::State& State) {
    const int Tables = static_cast<int>(State.range(0));
    int Expected = 0;
    const std::string Script = MakeScript(Tables, Expected);
    char Name[] = "/tmp/smxparsebenchXXXXXX";
    const int Fd = mkstemp(Name);
    if (Fd < 0) {
        State.SkipWithError("cannot create the script file");
        return;
    }
    close(Fd);
    std::ofstream(Name, std::ios::binary) << Script;

    for (auto _ : State) {
        // The structure the script builds is freed outside the timed part: freeing is not parsing.
        auto Structure = std::make_unique<TDBStructure>();
        Structure->SetDatabaseType(TDatabaseType::dbInterBase);
        Structure->GetIBServerOptions().SetSQLServerVersion(TIBSQLServerVersionType::st_Firebird_30);
        TIbParser Parser;
        int Reports = 0;
        Parser.OnStatement = [&](TObject*, const std::string&, TStatement*&, const std::string&, TDbOperation,
                                 TDbObject, const std::string&, TStatType) { ++Reports; };
        Parser.ParseFile(Name, Structure->Objs());
        const bool Wrong = Reports != Expected || Parser.GetMsgManager().HasErrors();
        benchmark::DoNotOptimize(Reports);
        State.PauseTiming();
        Structure.reset();
        State.ResumeTiming();
        if (Wrong) {
            State.SkipWithError("wrong report count or an error was recorded");
            break;
        }
    }
    std::remove(Name);
    State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations()) *
                            static_cast<std::int64_t>(Script.size()));
    State.counters["MB"] = static_cast<double>(Script.size()) / 1e6;
    State.counters["reports"] = Expected;
}

BENCHMARK(ParseFileOfTables)->Arg(5000)->Arg(10000)->Unit(benchmark::kMillisecond)->MinWarmUpTime(1.0)->MinTime(2.0);

} // namespace
