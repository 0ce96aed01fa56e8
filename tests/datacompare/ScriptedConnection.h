// A recording connection that also answers queries, for the dialects whose servers cannot run
// here: every text opened or prepared is journalled, and a canned result is served for the first
// registered fragment the text contains. Executed statements are recorded by the base class.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/model/RecordingConnection.h"

namespace smx::test {

/// Columns (name and type) and rows of one canned result.
struct TCannedResult {
    std::vector<std::pair<std::string, TFieldType>> Columns;
    std::vector<std::vector<TVariant>> Rows;
};

class TScriptedConnection;

/// A query serving the canned result whose fragment its text contains (no columns otherwise).
class TScriptedQuery : public TRecordingQuery {
public:
    TScriptedQuery(TComponent* AOwner, TScriptedConnection* Connection);

    void Prepare() override;
    void Open() override;
    void Close() override {
        active_ = false;
        row_ = 0;
        result_ = nullptr;
    }
    bool GetActive() override { return active_; }
    bool GetEof() override { return !result_ || row_ >= result_->Rows.size(); }
    void Next() override {
        if (!GetEof()) ++row_;
        Load();
    }
    TFields* GetFields() override { return &fields_; }
    TField* FieldByName(std::string_view Name) override {
        TField* f = fields_.FindField(Name);
        if (!f) throw EDatabaseError("Field '" + std::string(Name) + "' not found");
        return f;
    }

private:
    void Describe();
    void Load() {
        for (int i = 0; i < fields_.Count(); ++i)
            fields_[i].SetValue(GetEof() ? TVariant() : result_->Rows[row_][static_cast<std::size_t>(i)]);
    }

    TScriptedConnection* conn_;
    const TCannedResult* result_ = nullptr;
    std::size_t row_ = 0;
    bool active_ = false;
    TFields fields_;
};

/// Records like TRecordingConnection and serves canned results to its queries.
class TScriptedConnection : public TRecordingConnection {
public:
    explicit TScriptedConnection(TDatabaseType Type, const std::string& Database = "db") {
        SetDatabaseType(Type);
        GetConnectionOptions().SetDatabaseName(Database);
    }
    TSMXQuery* CreateQuery(TComponent* AOwner) override {
        ++QueriesCreated;
        return new TScriptedQuery(AOwner, this);
    }
    /// Serves Result to every text that contains Fragment (the first match wins).
    void Answer(const std::string& Fragment, TCannedResult Result) {
        Results.emplace_back(Fragment, std::move(Result));
    }
    const TCannedResult* Find(const std::string& Text) const {
        for (const auto& [fragment, result] : Results)
            if (Text.find(fragment) != std::string::npos) return &result;
        return nullptr;
    }

    std::vector<std::pair<std::string, TCannedResult>> Results;
    std::vector<std::string> Opened; ///< texts opened ("open ...") or prepared ("prepare ...")
};

inline TScriptedQuery::TScriptedQuery(TComponent* AOwner, TScriptedConnection* Connection)
    : TRecordingQuery(AOwner, Connection), conn_(Connection) {}

inline void TScriptedQuery::Describe() {
    result_ = conn_->Find(GetSQL()->Text());
    fields_.Clear();
    if (result_)
        for (const auto& [name, type] : result_->Columns)
            fields_.Add(std::make_unique<TField>(name, type));
}

inline void TScriptedQuery::Prepare() {
    conn_->Opened.push_back("prepare " + GetSQL()->Text());
    Describe();
    result_ = nullptr;
}

inline void TScriptedQuery::Open() {
    conn_->Opened.push_back("open " + GetSQL()->Text());
    Describe();
    active_ = true;
    row_ = 0;
    Load();
}

} // namespace smx::test
