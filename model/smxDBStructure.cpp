// smxDBStructure: the structure component, its container and the DDL script writer. See the header.
#include "model/smxDBStructure.h"

#include <algorithm>
#include <fstream>
#include <functional>
#include <set>
#include <vector>

#include "model/smxComp_Clt.h"
#include "model/smxComp_Ctr.h"
#include "model/smxComp_Dmn.h"
#include "model/smxComp_Exc.h"
#include "model/smxComp_Fnc.h"
#include "model/smxComp_Gnr.h"
#include "model/smxComp_Idx.h"
#include "model/smxComp_Opr.h"
#include "model/smxComp_Pkg.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Rol.h"
#include "model/smxComp_Sch.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "platform/smxExceptions.h"
#include "platform/smxScopeExit.h"
#include "platform/smxStrUtils.h"

namespace smx {

void NoTrace(const std::string& Text) {
    (void)Text;
}

TTraceProc TraceHook = NoTrace;

namespace {

using enum TDatabaseType;
using V = TIBSQLServerVersionType;

template <class T> T* Find(TCustomObjs& objs, TObjsList which, std::string_view name) {
    return dynamic_cast<T*>(objs.FindObject(which, name));
}

TDbObj* ObjectAt(TStringList& list, int i) {
    return dynamic_cast<TDbObj*>(list.Objects(i));
}

// The kind word of a per-object file name; empty for kinds without one.
std::string FileKindWord(const TDbObj* obj) {
    TObjsList which{};
    if (!TCustomObjs::ListOfObject(obj, which)) return {};
    return std::string(ObjsListInfo[static_cast<std::size_t>(which)].FileWord);
}

// An object name as a file-name part: path separators and NULs cannot lead out of the folder.
std::string FileNamePart(std::string_view name) {
    std::string s(name);
    for (char& c : s)
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    return s;
}

bool IsConstraintOfType(const TDbObj* obj, std::initializer_list<TDbObject> kinds) {
    for (TDbObject k : kinds)
        if (obj->GetKind() == k) return true;
    return false;
}

// The object a dependency record points at, seen as a whole: a column stands for its table or view.
TDbObj* WholeObject(TDbObj* o) {
    if (auto* f = dynamic_cast<TFldData*>(o); f && f->Parent) return f->Parent;
    return o;
}

// InterBase procedures that another procedure or a view needs. Firebird refuses a routine or view
// that reads a procedure not yet created, so these are created early with empty bodies.
std::set<const TDbObj*> ProceduresNeededEarly(TStringList& procedures) {
    std::set<const TDbObj*> early;
    for (int i = 0; i < procedures.Count(); ++i) {
        TDbObj* p = ObjectAt(procedures, i);
        if (!p) continue;
        for (int r = 0; r < p->GetUsedBy().Count(); ++r) {
            const TDependObj* rec = p->UsedByItem(r);
            TDbObj* d = rec ? WholeObject(rec->GetReferenced()) : nullptr;
            if (d && d != p &&
                (d->GetKind() == TDbObject::dboProcedure || d->GetKind() == TDbObject::dboView)) {
                early.insert(p);
                break;
            }
        }
    }
    return early;
}

// The views in name order, except that each comes after the views it reads.
std::vector<TDbObj*> ViewsInDependencyOrder(TStringList& views) {
    std::vector<TDbObj*> order;
    std::set<const TDbObj*> done, visiting;
    std::set<const TDbObj*> filed;
    for (int i = 0; i < views.Count(); ++i)
        if (TDbObj* v = ObjectAt(views, i)) filed.insert(v);
    std::function<void(TDbObj*)> visit = [&](TDbObj* v) {
        if (done.count(v) || !visiting.insert(v).second) return; // written, or a cycle
        std::vector<TDbObj*> needed;
        for (int r = 0; r < v->GetDependsOn().Count(); ++r) {
            const TDependObj* rec = v->DependsOnItem(r);
            TDbObj* n = rec ? WholeObject(rec->GetReferenced()) : nullptr;
            if (n && n != v && filed.count(n)) needed.push_back(n);
        }
        std::sort(needed.begin(), needed.end(), [](const TDbObj* a, const TDbObj* b) {
            return CompareText(a->GetName(), b->GetName()) < 0;
        });
        for (TDbObj* n : needed)
            visit(n);
        visiting.erase(v);
        done.insert(v);
        order.push_back(v);
    };
    for (int i = 0; i < views.Count(); ++i)
        if (TDbObj* v = ObjectAt(views, i)) visit(v);
    return order;
}

// MySQL's CREATE TABLE writes the table's primary and unique keys and its indices inline: the
// script does not write them a second time (the server refuses a duplicate key).
bool WrittenInlineByTable(TObjs& objs, const TDbObj* o) {
    if (objs.GetDatabaseType() != TDatabaseType::dbMySQL) return false;
    std::string table;
    if (auto* x = dynamic_cast<const TIdxData*>(o))
        table = x->TableName;
    else if (auto* c = dynamic_cast<const TCtrData*>(o);
             c && (c->GetConstraintType() == ctPrimaryKey || c->GetConstraintType() == ctUnique))
        table = c->TableName;
    else
        return false;
    const TTblData* t = objs.FindTable(table);
    return t && !t->Ignore;
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// TObjs

TObjs::TObjs(TCustomDBStructure* AStructure) : TCustomObjs(AStructure) {}

TObjs::~TObjs() {
    FreeObjects();
}

void TObjs::Clear() {
    FreeObjects();
    TCustomObjs::Clear();
}

void TObjs::CacheObjectScripts() {
    for (TObjsList which : {TObjsList::olViews, TObjsList::olProcedures, TObjsList::olTriggers}) {
        TStringList& list = List(which);
        for (int i = 0; i < list.Count(); ++i)
            if (TDbObj* o = ObjectAt(list, i)) {
                const std::string text = o->GetCreateSQL();
                o->CachedSQL = text;
                o->CompareText = text;
            }
    }
}

void TObjs::AddLine(std::string_view Text) {
    GetScriptLines().Add(Text);
}

void TObjs::GetScript() {
    TIBCompareOptions& cmp = GetIBServerOptions().GetIBCompareOptions();
    const TUpdateDescriptionType savedMode = cmp.GetUpdateDescriptionMode();
    ScopeExit restore([&] {
        QuotedIdentifierState = false;
        AnsiNullsState = false;
        cmp.SetUpdateDescriptionMode(savedMode);
    });
    // Firebird 2 and later take COMMENT ON (Firebird 3 refuses DESCRIBE); older servers DESCRIBE.
    if (GetDatabaseType() == dbInterBase && savedMode == TUpdateDescriptionType::udSysTables) {
        const V v = GetIBServerOptions().GetSQLServerVersion();
        const bool comment = v >= V::st_Firebird_20 && v <= V::st_Firebird_40;
        cmp.SetUpdateDescriptionMode(comment ? TUpdateDescriptionType::udComment
                                             : TUpdateDescriptionType::udDescribe);
    }

    GetScriptLines().Clear();
    const TDatabaseType t = GetDatabaseType();
    SetTerminator(t == dbSybaseASA || t == dbMSSQL || t == dbSybaseASE ? "\r\ngo" : ";");

    WriteHeader();
    AddLine("");
    WriteSchemas();
    AddLine("");
    WriteObjectBlock(TObjsList::olFunctions, false, true);
    AddLine("");
    WriteObjectBlock(TObjsList::olCollations, true, false);
    AddLine("");
    WriteObjectBlock(TObjsList::olDomains, true, true);
    WriteObjectBlock(TObjsList::olTables, true, true);
    WriteObjectBlock(TObjsList::olIndices, true, false);
    WritePackages();
    WriteConstraints();
    WriteObjectBlock(TObjsList::olExceptions, true, true);
    AddLine("");
    WriteObjectBlock(TObjsList::olGenerators, true, false);
    AddLine("");
    if (t == dbInterBase) {
        // Procedures that others read exist (empty) before the views and procedures that need them;
        // views come after the views they read.
        const std::set<const TDbObj*> early = ProceduresNeededEarly(Procedures());
        WriteEmptyRoutines(early);
        WriteObjects(ViewsInDependencyOrder(Views()), true, true);
        WriteRoutineBlock(TObjsList::olProcedures, &early);
    } else {
        WriteObjectBlock(TObjsList::olViews, true, true);
        WriteRoutineBlock(TObjsList::olProcedures);
    }
    WriteRoutineBlock(TObjsList::olTriggers);
    AddLine("");
    WriteObjectBlock(TObjsList::olEvents, true, false);
    WriteObjectBlock(TObjsList::olRoles, true, false);
    AddLine("");
    WriteObjectBlock(TObjsList::olGrants, false, false);
    AddLine("");
}

void TObjs::CopyScriptTo(TStringList& Strings) {
    GetScriptLines().Clear();
    GetScript();
    Strings.AddStrings(GetScriptLines());
    GetScriptLines().Clear();
}

void TObjs::WriteHeader() {
    const std::string& term = GetTerminator();
    const TConnectionOptions& con = GetConnectionOptions();
    const std::string& db = con.GetDatabaseName();
    const std::string& user = con.GetUserName();
    const std::string& password = con.GetPassword();
    auto line = [&](const std::string& text) { AddLine(text + term + "\r\n"); };

    switch (GetDatabaseType()) {
    case dbInterBase: {
        const TIBServerOptions& ib = GetIBServerOptions();
        const TIBDatabaseOptions& dbo = ib.GetIBDatabaseOptions();
        if (ScriptOptions_.GetDBCharSet()) {
            const std::string names = ib.GetSetNamesSQL();
            if (!names.empty()) line(names);
        }
        if (ScriptOptions_.GetSQLDialect() && (ib.GetSQLDialect() == 2 || ib.GetSQLDialect() == 3))
            line("SET SQL DIALECT 3");
        if (ScriptOptions_.GetConnect() && !db.empty()) {
            std::string s = "CREATE DATABASE " + QuotedStr(db);
            if (!user.empty() || !password.empty()) {
                s += "\r\n";
                if (!user.empty()) s += " USER " + QuotedStr(user);
                if (!password.empty()) s += " PASSWORD " + QuotedStr(password);
            }
            if (dbo.GetPageSize() != 0) s += "\r\nPAGE_SIZE " + IntToStr(dbo.GetPageSize());
            if (!ib.GetDBCharSet().empty()) s += "  DEFAULT CHARACTER SET " + ib.GetDBCharSet();
            line(s);
        }
        if (dbo.GetODSMajorVersion() != 0)
            AddLine("/* Server Version: " + dbo.GetServerVersion() +
                    ".  ODS Version: " + IntToStr(dbo.GetODSMajorVersion()) + "." +
                    IntToStr(dbo.GetODSMinorVersion()) + ". */" + "\r\n");
        break;
    }
    case dbMSSQL:
        if (ScriptOptions_.GetConnect() && !db.empty()) line("USE " + db);
        // The script states both settings off at its start.
        QuotedIdentifierState = true;
        AnsiNullsState = true;
        WriteSettingLines(false, false);
        break;
    case dbOracle:
        if (ScriptOptions_.GetConnect() && !user.empty() && !password.empty())
            line("-- CONNECT " + user + "/*****" + "@" + db);
        break;
    case dbMySQL:
        if (ScriptOptions_.GetConnect() && !db.empty()) line("USE " + db);
        break;
    case dbSybaseASE: {
        const TASEDatabaseOptions& ase = GetASEServerOptions().GetASEDatabaseOptions();
        auto fact = [&](std::string_view label, const std::string& value) {
            if (!value.empty()) AddLine(std::string(label) + value + "\r\n");
        };
        fact("-- ", ase.GetServerVersion());
        fact("-- Database: ", db);
        fact("-- Size    : ", ase.GetSize());
        fact("-- Owner   : ", ase.GetOwner());
        fact("-- Created : ", ase.GetCreated());
        fact("-- Options : ", ase.GetOptions());
        if (!ase.GetServerVersion().empty()) AddLine("");
        if (ScriptOptions_.GetConnect() && !db.empty()) {
            line("use " + db);
            line("use master");
            line("if exists( select 1 from master.dbo.sysdatabases where name = " + QuotedStr(db) + ")" +
                 "\r\n" + "  drop database " + db);
            line("create database " + db);
            line("use " + db);
        }
        const int word = ase.GetOptionWord() & 0xFFFF;
        if (word != 0) {
            for (int i = 0; i < TASEDatabaseOptions::OptionCount; ++i)
                if (word & (1 << i))
                    line("exec master.dbo.sp_dboption " + db + ", " +
                         QuotedStr(TASEDatabaseOptions::GetOptionName(i)) + ", True");
            line("checkpoint");
        }
        break;
    }
    case dbPostgreSQL:
        if (!db.empty()) AddLine("/* Database: " + db + " */" + "\r\n");
        break;
    default:
        break;
    }
}

void TObjs::WriteSettingLines(bool QuotedIdentifier, bool AnsiNulls) {
    if (GetDatabaseType() != dbMSSQL) return;
    if (QuotedIdentifier != QuotedIdentifierState) {
        AddLine(std::string("SET QUOTED_IDENTIFIER ") + (QuotedIdentifier ? "ON" : "OFF") + GetTerminator() +
                "\r\n");
        QuotedIdentifierState = QuotedIdentifier;
    }
    if (AnsiNulls != AnsiNullsState) {
        AddLine(std::string("SET ANSI_NULLS ") + (AnsiNulls ? "ON" : "OFF") + GetTerminator() + "\r\n");
        AnsiNullsState = AnsiNulls;
    }
}

void TObjs::WriteObjectBlock(TObjsList Which, bool SettingLines, bool EmptyLine) {
    TStringList& list = List(Which);
    std::vector<TDbObj*> objects;
    for (int i = 0; i < list.Count(); ++i)
        if (TDbObj* o = ObjectAt(list, i)) objects.push_back(o);
    WriteObjects(objects, SettingLines, EmptyLine);
}

void TObjs::WriteObjects(const std::vector<TDbObj*>& Objects, bool SettingLines, bool EmptyLine) {
    for (TDbObj* o : Objects) {
        if (WrittenInlineByTable(*this, o)) continue;
        const std::string text = o->GetCreateSQL();
        // An ignored object (or a kind that writes no text) takes no part in the script.
        if (text.empty()) continue;
        SaveObjectToFile(o);
        if (SettingLines) WriteSettingLines(o->QuotedIdentifier, o->AnsiNulls);
        AddLine(text + GetTerminator());
        // CREATE INDEX makes an active index: an inactive one is switched off right after it.
        if (auto* index = dynamic_cast<TIdxData*>(o); index && !index->GetInactiveSQL().empty())
            AddLine(index->GetInactiveSQL() + GetTerminator());
        if (EmptyLine) AddLine("");
        WriteOwnerStatements(o);
    }
}

void TObjs::WriteSchemas() {
    TStringList& list = List(TObjsList::olSchemas);
    const TDatabaseType t = GetDatabaseType();
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* o = ObjectAt(list, i);
        if (!o) continue;
        const bool builtIn = (t == dbPostgreSQL && o->GetName() == "public") ||
                             (t == dbMSSQL && o->GetName() == o->OverrideName);
        const std::string text = builtIn ? std::string() : o->GetCreateSQL();
        if (!text.empty()) {
            SaveObjectToFile(o);
            AddLine(text + GetTerminator());
            AddLine("");
        }
        WriteOwnerStatements(o);
    }
}

void TObjs::WritePackages() {
    if (GetDatabaseType() != dbOracle) return;
    TStringList& list = List(TObjsList::olPackages);
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* o = ObjectAt(list, i);
        if (!o) continue;
        const std::string text = o->GetCreateSQL();
        if (text.empty()) continue;
        SaveObjectToFile(o);
        AddLine(text + "\r\n" + "/");
        AddLine("");
        WriteOwnerStatements(o);
    }
}

void TObjs::WriteEmptyRoutines(const std::set<const TDbObj*>& Routines) {
    TStringList& list = Procedures();
    bool open = false;
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* o = ObjectAt(list, i);
        if (!o || !Routines.count(o)) continue;
        const std::string text = o->GetEmptyCreateSQL();
        if (text.empty()) continue;
        if (!open) {
            AddLine("SET TERM ^ ;\r\n");
            SetTerminator("\r\n^");
            open = true;
        }
        AddLine(text + GetTerminator());
        AddLine("");
    }
    if (open) {
        AddLine("SET TERM ; ^\r\n");
        SetTerminator(";");
    }
}

void TObjs::WriteRoutineBlock(TObjsList Which, const std::set<const TDbObj*>* CreatedEmpty) {
    TStringList& list = List(Which);
    const TDatabaseType t = GetDatabaseType();
    const bool setTerm = t == dbInterBase && list.Count() > 0;
    if (setTerm) {
        AddLine("SET TERM ^ ;\r\n");
        SetTerminator("\r\n^");
    }
    if (t == dbOracle) SetTerminator("\r\n/");
    for (int i = 0; i < list.Count(); ++i) {
        TDbObj* o = ObjectAt(list, i);
        if (!o) continue;
        // A routine created empty earlier gets its body by ALTER.
        const bool alter = CreatedEmpty && CreatedEmpty->count(o) && !o->GetEmptyCreateSQL().empty();
        const std::string text = alter ? o->GetAlterSQL() : o->GetCreateSQL();
        if (text.empty()) continue;
        SaveObjectToFile(o);
        WriteSettingLines(o->QuotedIdentifier, o->AnsiNulls);
        // Between the DELIMITER lines the statement ends with the delimiter they set.
        if (t == dbMySQL) AddLine("DELIMITER //");
        AddLine(text + (t == dbMySQL ? std::string("\r\n//") : GetTerminator()));
        if (t == dbMySQL) AddLine("DELIMITER ;");
        AddLine("");
        WriteOwnerStatements(o);
    }
    if (setTerm) {
        AddLine("SET TERM ; ^\r\n");
        SetTerminator(";");
    }
    if (t == dbOracle) SetTerminator(";");
}

void TObjs::WriteConstraints() {
    TStringList& list = List(TObjsList::olConstraints);
    auto writeKinds = [&](std::initializer_list<TDbObject> kinds) {
        for (int i = 0; i < list.Count(); ++i) {
            TDbObj* o = ObjectAt(list, i);
            if (!o || !IsConstraintOfType(o, kinds) || WrittenInlineByTable(*this, o)) continue;
            const std::string text = o->GetCreateSQL();
            if (text.empty()) continue;
            SaveObjectToFile(o);
            if (!o->GetName().empty()) AddLine("/* " + o->GetName() + " */");
            if (!o->OverrideName.empty()) AddLine("/* " + o->OverrideName + " */");
            WriteSettingLines(o->QuotedIdentifier, o->AnsiNulls);
            AddLine(text + GetTerminator());
            AddLine("");
        }
    };
    using enum TDbObject;
    if (GetDatabaseType() == dbMSSQL) writeKinds({dboDefault, dboCtrDefault});
    writeKinds({dboPKey});
    writeKinds({dboUnique});
    writeKinds({dboFKey});
    writeKinds({dboCheck});
}

void TObjs::WriteOwnerStatements(TDbObj* Obj) {
    if (!Obj) return;
    const std::string& term = GetTerminator();
    if (GetDatabaseType() == dbPostgreSQL && !Obj->Owner2.empty()) {
        std::string what;
        std::string name = Obj->QuoteName(Obj->GetName());
        if (!Obj->GetParentName().empty()) name = Obj->QuoteName(Obj->GetParentName()) + "." + name;
        switch (Obj->GetKind()) {
        case TDbObject::dboSchema:
            if (Obj->GetName() != "public") what = "ALTER SCHEMA";
            break;
        case TDbObject::dboTable:
            what = "ALTER TABLE";
            break;
        case TDbObject::dboDomain:
            what = "ALTER DOMAIN";
            break;
        case TDbObject::dboProcedure:
            what = "ALTER FUNCTION";
            break;
        case TDbObject::dboOperator:
            what = "ALTER OPERATOR";
            break;
        case TDbObject::dboOperatorClass:
            what = "ALTER OPERATOR CLASS";
            break;
        case TDbObject::dboView:
            what = "ALTER VIEW";
            break;
        default:
            break;
        }
        if (!what.empty()) {
            AddLine(what + " " + name + " OWNER TO " + Obj->QuoteName(Obj->Owner2) + term);
            AddLine("");
        }
    }
    auto describe = [&](TDbObj* o) {
        if (!o || o->GetDescription().empty()) return;
        const std::string text = o->GetDescriptionSQL();
        if (text.empty()) return;
        AddLine(text + term);
        AddLine("");
    };
    describe(Obj);
    if (auto* tbl = dynamic_cast<TTblData*>(Obj))
        for (int i = 0; i < tbl->Fields.Count(); ++i)
            describe(dynamic_cast<TDbObj*>(tbl->Fields.Objects(i)));
    if (auto* prc = dynamic_cast<TPrcData*>(Obj))
        for (const TStringList* params : {&prc->InputParams, &prc->OutputParams})
            for (int i = 0; i < params->Count(); ++i)
                describe(dynamic_cast<TDbObj*>(params->Objects(i)));
}

void TObjs::SaveObjectToFile(TDbObj* Obj) {
    if (!Obj || ScriptFilesFolder_.empty()) return;
    const std::string body = Obj->GetCreateSQL();
    std::string header;
    if (dynamic_cast<TPrcData*>(Obj) || dynamic_cast<TTrgData*>(Obj)) header = Obj->GetEmptyCreateSQL();
    const std::string name = FileNamePart(Obj->GetName().empty() ? Obj->GetFullName() : Obj->GetName());
    const std::string base = ScriptFilesFolder_ + "/" + FileKindWord(Obj) + "_" + name + "_";
    auto save = [](const std::string& file, const std::string& text) {
        try {
            SaveTextToFile(file, text);
        } catch (const std::exception& e) {
            if (TraceHook) TraceHook(e.what());
        }
    };
    if (!header.empty()) save(base + "header.sql", header);
    if (!body.empty()) save(base + "body.sql", body);
}

void TObjs::SaveTextToFile(const std::string& FileName, std::string_view Text) {
    std::ofstream out(FileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EFileError("Cannot create file \"" + FileName + "\"");
    out.write(Text.data(), static_cast<std::streamsize>(Text.size()));
    out.close();
    if (!out) throw EFileError("Cannot write file \"" + FileName + "\"");
}

// ---- Find-by-name ---------------------------------------------------------------------------------

TDmnData* TObjs::FindDomain(std::string_view Name) {
    return Find<TDmnData>(*this, TObjsList::olDomains, Name);
}
TTblData* TObjs::FindTable(std::string_view Name) {
    return Find<TTblData>(*this, TObjsList::olTables, Name);
}
TViwData* TObjs::FindView(std::string_view Name) {
    return Find<TViwData>(*this, TObjsList::olViews, Name);
}
TPrcData* TObjs::FindProcedure(std::string_view Name) {
    return Find<TPrcData>(*this, TObjsList::olProcedures, Name);
}
TTrgData* TObjs::FindTrigger(std::string_view Name) {
    return Find<TTrgData>(*this, TObjsList::olTriggers, Name);
}
TGnrData* TObjs::FindGenerator(std::string_view Name) {
    return Find<TGnrData>(*this, TObjsList::olGenerators, Name);
}
TExcData* TObjs::FindException(std::string_view Name) {
    return Find<TExcData>(*this, TObjsList::olExceptions, Name);
}
TIdxData* TObjs::FindIndex(std::string_view Name) {
    return Find<TIdxData>(*this, TObjsList::olIndices, Name);
}
TUdfData* TObjs::FindUdf(std::string_view Name) {
    return Find<TUdfData>(*this, TObjsList::olFunctions, Name);
}
TPkgData* TObjs::FindPackage(std::string_view Name) {
    return Find<TPkgData>(*this, TObjsList::olPackages, Name);
}

namespace {
TFldData* FieldIn(TStringList& fields, std::string_view name) {
    const int i = fields.IndexOf(name);
    return i >= 0 ? dynamic_cast<TFldData*>(fields.Objects(i)) : nullptr;
}
} // namespace

TFldData* TObjs::FindTableField(std::string_view TableName, std::string_view FieldName) {
    TTblData* t = FindTable(TableName);
    return t ? FieldIn(t->Fields, FieldName) : nullptr;
}

TFldData* TObjs::FindViewField(std::string_view ViewName, std::string_view FieldName) {
    TViwData* v = FindView(ViewName);
    return v ? FieldIn(v->Fields, FieldName) : nullptr;
}

TFldData* TObjs::FindProcedureParam(std::string_view ProcedureName, std::string_view ParamName) {
    TPrcData* p = FindProcedure(ProcedureName);
    if (!p) return nullptr;
    if (TFldData* f = FieldIn(p->InputParams, ParamName)) return f;
    return FieldIn(p->OutputParams, ParamName);
}

namespace {
TRolData* FindRoleKind(TStringList& roles, std::string_view name, std::uint8_t kind) {
    for (int i = 0; i < roles.Count(); ++i)
        if (auto* r = dynamic_cast<TRolData*>(roles.Objects(i)))
            if (r->GetName() == name && r->RoleKind == kind) return r;
    return nullptr;
}
} // namespace

TRolData* TObjs::FindRole(std::string_view Name) {
    return FindRoleKind(Roles(), Name, 0);
}
TRolData* TObjs::FindLogin(std::string_view Name) {
    return FindRoleKind(Roles(), Name, 1);
}
TRolData* TObjs::FindUser(std::string_view Name) {
    return FindRoleKind(Roles(), Name, 2);
}

// ---------------------------------------------------------------------------------------------------
// TDBStructure

TDBStructure::TDBStructure(TComponent* AOwner) : TCustomDBStructure(AOwner) {
    SetObjs(std::make_unique<TObjs>(this));
}

TDBStructure::~TDBStructure() = default;

} // namespace smx
