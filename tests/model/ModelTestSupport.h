// Helpers of the model tests: a container that owns and frees its objects, a structure that owns
// such a container, kind objects that write fixed DDL texts (the kinds' own texts come with their
// units), and a capture of the message box.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/smxClasses.h"
#include "model/smxComp_Prc.h"
#include "model/smxComp_Tbl.h"
#include "model/smxComp_Trg.h"
#include "model/smxComp_Viw.h"
#include "platform/smxUIHooks.h"

namespace smx::test {

/// A container that frees the objects filed in it, like the structure's concrete container.
class OwningObjs : public TCustomObjs {
public:
    explicit OwningObjs(TCustomDBStructure* s = nullptr) : TCustomObjs(s) {}
    ~OwningObjs() override { OwningObjs::Clear(); }
    void Clear() override {
        FreeObjects();
        TCustomObjs::Clear();
    }
};

/// A structure with an owning container.
class TestStructure : public TCustomDBStructure {
public:
    explicit TestStructure(TComponent* owner = nullptr) : TCustomDBStructure(owner) {
        SetObjs(std::make_unique<OwningObjs>(this));
    }
};

/// A table that writes "CREATE TABLE name (...)" and "DROP TABLE name".
class TextTable : public TTblData {
public:
    using TTblData::TTblData;
    std::string GetCreateSQL() const override {
        return "CREATE TABLE " + QuoteName(GetName()) + " (ID INTEGER)";
    }
    std::string GetDropSQL() const override {
        return TDbObj::GetDropSQL() + "DROP TABLE " + QuoteName(GetName());
    }
};

/// A view that writes "CREATE VIEW name AS ..." and "DROP VIEW name".
class TextView : public TViwData {
public:
    using TViwData::TViwData;
    std::string GetCreateSQL() const override {
        return "CREATE VIEW " + QuoteName(GetName()) + " AS " + GetSource();
    }
    std::string GetDropSQL() const override {
        return TDbObj::GetDropSQL() + "DROP VIEW " + QuoteName(GetName());
    }
};

/// A procedure without outputs that writes its CREATE, ALTER and empty CREATE texts.
class TextProc : public TPrcData {
public:
    using TPrcData::TPrcData;
    std::string GetCreateSQL() const override {
        return "CREATE PROCEDURE " + GetName() + " AS\r\n" + GetSource();
    }
    std::string GetAlterSQL() const override {
        return "ALTER PROCEDURE " + GetName() + " AS\r\n" + GetSource();
    }
    std::string GetEmptyCreateSQL() const override {
        return "CREATE PROCEDURE " + GetName() + " AS\r\n" + EmptyRoutineBody();
    }
};

/// A trigger that writes its CREATE and ALTER texts.
class TextTrigger : public TTrgData {
public:
    using TTrgData::TTrgData;
    std::string GetCreateSQL() const override {
        return "CREATE TRIGGER " + GetName() + " FOR " + TableName + "\r\n" + GetSource();
    }
    std::string GetAlterSQL() const override { return "ALTER TRIGGER " + GetName() + "\r\n" + GetSource(); }
};

/// Creates an object of class T named name in objs (not filed).
template <typename T> T* Make(TCustomObjs* objs, const std::string& name, const std::string& source = "") {
    auto* o = new T(objs);
    o->SetName(name);
    if (!source.empty()) o->SetSource(source);
    return o;
}

/// Captures the message box while alive.
class BoxCapture {
public:
    BoxCapture() {
        previous_ = SetMessageBoxHook([this](const std::string& t) { texts.push_back(t); });
    }
    ~BoxCapture() { SetMessageBoxHook(previous_); }
    BoxCapture(const BoxCapture&) = delete;
    BoxCapture& operator=(const BoxCapture&) = delete;
    std::vector<std::string> texts;

private:
    TMessageBoxHook previous_;
};

/// "caption|operation" of every statement, in order.
inline std::vector<std::string> Captions(const TCustomSQLExec& exec) {
    std::vector<std::string> out;
    for (int i = 0; i < exec.GetStatementCount(); ++i)
        out.push_back(exec.GetStatement(i)->GetCaption());
    return out;
}

} // namespace smx::test
