// The data-access types the suite reads and writes: field types, the date-time value, a variant
// value, result fields (TField/TFields) and statement parameters (TParam/TParams). Client layers
// fill fields and read parameters; callers read fields by name and set parameters by name. Numbers
// are converted without the C locale, so a changed locale never alters a value's text.
#pragma once

#include "platform/smxExceptions.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace smx {

/// Field and parameter data types; the ordinals follow the class library's list.
enum class TFieldType : std::uint8_t {
    ftUnknown,
    ftString,
    ftSmallint,
    ftInteger,
    ftWord,
    ftBoolean,
    ftFloat,
    ftCurrency,
    ftBCD,
    ftDate,
    ftTime,
    ftDateTime,
    ftBytes,
    ftVarBytes,
    ftAutoInc,
    ftBlob,
    ftMemo,
    ftGraphic,
    ftFmtMemo,
    ftFixedChar,
    ftWideString,
    ftLargeint,
    ftGuid,
    ftTimeStamp,
    ftFMTBcd,
    ftFixedWideChar,
    ftWideMemo,
    ftOraBlob,
    ftOraClob,
};

/// The name of a field type ("ftString", ...).
std::string_view FieldTypeName(TFieldType t);

// ---------------------------------------------------------------------------------------------
// Date and time

/// Days since 1899-12-30 00:00; the fraction is the time of day. Before that epoch the integer
/// part counts back and the fraction still counts forward from midnight (-1.25 is 1899-12-29 06:00).
using TDateTime = double;

/// Fractions of a second are counted in 1/10000 s, the finest unit Firebird stores.
inline constexpr int TicksPerSecond = 10000;
inline constexpr std::int64_t TicksPerDay = std::int64_t{86400} * TicksPerSecond;

bool IsLeapYear(int year);
/// Days in the month (1-12) of that year; 0 for a month out of range.
int DaysInMonth(int year, int month);

/// False when the date is not a valid Gregorian date from year 1 to 9999.
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
/// The date at midnight; throws EConvertError for an invalid date.
TDateTime EncodeDate(int year, int month, int day);
/// The time of day as a day fraction; throws EConvertError outside 00:00:00.000-23:59:59.999.
TDateTime EncodeTime(int hour, int minute, int second, int msec);
/// Joins a date (its day part) and a time of day (its fraction part), honouring the epoch rule.
TDateTime ComposeDateTime(TDateTime date, TDateTime time);

void DecodeDate(TDateTime dt, int& year, int& month, int& day);
/// The time of day, milliseconds rounded to the nearest; a value rounding up to midnight stays 23:59:59.999.
void DecodeTime(TDateTime dt, int& hour, int& minute, int& second, int& msec);

/// The day part as days since the epoch (floor for dates before it).
std::int32_t DateToDays(TDateTime dt);
/// The time of day in 1/10000 s, rounded to the nearest tick and kept below one day.
std::int64_t TimeToTicks(TDateTime dt);
/// The value for a day number and a time of day in 1/10000 s.
TDateTime DaysTicksToDateTime(std::int32_t days, std::int64_t ticks);

/// Formats with the class library's tokens: yyyy yy mmmm mmm mm m dd d hh h nn n ss s zzz,
/// "mm"/"m" right after an hour token meaning minutes, "/" the date and ":" the time separator of
/// FormatSettings(), and text in single or double quotes copied as it is.
std::string FormatDateTime(std::string_view format, TDateTime dt);

// ---------------------------------------------------------------------------------------------
// Variant value

/// The kind of value a TVariant holds.
enum class TVarKind : std::uint8_t { vkNull, vkInteger, vkFloat, vkString, vkBoolean, vkDateTime, vkBytes };

/// A value of one of a few kinds, or null. Conversions of null give 0, "" or False; a string that
/// does not convert throws EConvertError. Bytes are raw large-object data held in a std::string.
class TVariant {
public:
    TVariant() = default;
    static TVariant Null() { return TVariant(); }
    static TVariant FromInteger(std::int64_t v);
    static TVariant FromFloat(double v);
    static TVariant FromString(std::string v);
    static TVariant FromBoolean(bool v);
    static TVariant FromDateTime(TDateTime v);
    static TVariant FromBytes(std::string v);

    TVarKind Kind() const { return kind_; }
    bool IsNull() const { return kind_ == TVarKind::vkNull; }

    /// Integers as they are, floats and date-times rounded to the nearest, strings parsed
    /// (whole-text integer, else a decimal number rounded), booleans 1/0.
    std::int64_t AsInteger() const;
    /// Strings parsed with "." as the decimal point.
    double AsFloat() const;
    /// Integers in decimal, floats in the shortest text that reads back exactly, booleans
    /// "True"/"False", date-times as "yyyy-mm-dd hh:mm:ss" (the parts that are present).
    std::string AsString() const;
    /// Numbers: not zero; strings: "True"/"False" (any case) or a number.
    bool AsBoolean() const;
    /// Numbers as days; strings in the form "yyyy-mm-dd[ hh:mm[:ss[.ffff]]]" or "hh:mm[:ss[.ffff]]".
    TDateTime AsDateTime() const;
    /// Bytes and strings as they are; other kinds as their text.
    std::string AsBytes() const;
    /// The stored text or bytes of a string or bytes value, without a copy; empty for other kinds.
    const std::string& RawText() const { return str_; }

    /// Same kind and same value.
    bool operator==(const TVariant& other) const;

    /// Make this null, an integer or a text (bytes with Bytes) in place: the text storage held is
    /// kept for the next text, so a value set row after row allocates only when it grows.
    void AssignNull();
    void AssignInteger(std::int64_t v);
    void AssignText(std::string_view Text, bool Bytes);

private:
    TVarKind kind_ = TVarKind::vkNull;
    std::int64_t int_ = 0;
    double float_ = 0.0;
    std::string str_;
};

/// The text of a float that reads back to the same double ("1.5", "3000000000", "1e-20").
std::string FloatToText(double v);
/// Parses a whole decimal number text ("-12.5", "1E3"), "." as decimal point; false when it is not one.
bool TryTextToFloat(std::string_view s, double& v);
/// Parses a date-time text as TVariant::AsDateTime does; false when it is not one.
bool TryTextToDateTime(std::string_view s, TDateTime& v);

// ---------------------------------------------------------------------------------------------
// Fields

/// One column of the current row of a result. The client layer sets the description and, per
/// row, the value (or a loader that fetches the value on first access, as large objects do).
class TField {
public:
    TField(std::string name, TFieldType type, int size = 0, int precision = 0, int scale = 0);
    TField(const TField&) = delete;
    TField& operator=(const TField&) = delete;
    virtual ~TField() = default;

    const std::string& FieldName() const { return name_; }
    const std::string& Name() const { return name_; }
    TFieldType DataType() const { return type_; }
    /// Declared length in bytes for text columns, 0 otherwise.
    int Size() const { return size_; }
    int Precision() const { return precision_; }
    /// Digits after the decimal point of an exact numeric column (0 for integers).
    int Scale() const { return scale_; }
    /// The large-object types, whose value is read on access.
    bool IsBlob() const;
    /// The 0-based position in its result.
    int Index() const { return index_; }

    bool IsNull() const { return Value().IsNull(); }
    /// The text of the value: text columns as stored (CHAR blank-padded), numbers in decimal with
    /// "." as point (exact numerics with all their decimals), dates "yyyy-mm-dd", times
    /// "hh:mm:ss[.ffff]", timestamps both, booleans "True"/"False", large objects their bytes.
    std::string AsString() const;
    std::int64_t AsInteger() const { return Value().AsInteger(); }
    double AsFloat() const { return Value().AsFloat(); }
    bool AsBoolean() const { return Value().AsBoolean(); }
    TDateTime AsDateTime() const { return Value().AsDateTime(); }
    /// The value (fetching a deferred one first); may throw the loader's EDatabaseError.
    const TVariant& AsVariant() const { return Value(); }
    const TVariant& Value() const;
    /// The raw bytes of the value (large objects and text alike).
    std::string AsBytes() const { return Value().AsBytes(); }

    /// Sets the value of the current row; drops a pending loader.
    void SetValue(TVariant v);
    /// As SetValue with a null, an integer or a text (bytes with Bytes), in the value's own storage.
    void SetNull();
    void SetInteger(std::int64_t v);
    void SetText(std::string_view Text, bool Bytes);
    /// The value is fetched by the loader on first access (once), then kept.
    void SetLoader(std::function<TVariant()> loader);

private:
    friend class TFields;
    std::string name_;
    TFieldType type_;
    int size_;
    int precision_;
    int scale_;
    int index_ = -1;
    mutable TVariant value_;
    mutable std::function<TVariant()> loader_;
};

/// An owned, ordered list of fields.
class TFields {
public:
    TFields() = default;
    TFields(const TFields&) = delete;
    TFields& operator=(const TFields&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    /// The field at the 0-based index; throws EDatabaseError when out of range.
    TField& operator[](int index) const;
    /// Appends the field (taking ownership) and returns it.
    TField& Add(std::unique_ptr<TField> field);
    void Clear() { items_.clear(); }
    /// The first field of that name (case-insensitive), or nullptr.
    TField* FindField(std::string_view name) const;
    /// As FindField; throws EDatabaseError "Field 'X' not found" when there is none.
    TField& FieldByName(std::string_view name) const;

private:
    std::vector<std::unique_ptr<TField>> items_;
};

// ---------------------------------------------------------------------------------------------
// Parameters

enum class TParamType : std::uint8_t { ptUnknown, ptInput, ptOutput, ptInputOutput, ptResult };

/// A statement parameter: a name, a declared data type and a value. The As... setters set the data
/// type with the value; SetValue keeps a declared type.
class TParam {
public:
    explicit TParam(std::string name = {}, TFieldType type = TFieldType::ftUnknown,
                    TParamType paramType = TParamType::ptInput);

    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    TFieldType DataType() const { return type_; }
    void SetDataType(TFieldType t) { type_ = t; }
    TParamType ParamType() const { return paramType_; }
    void SetParamType(TParamType t) { paramType_ = t; }

    const TVariant& Value() const { return value_; }
    /// Sets the value; an unknown data type is taken from the value's kind.
    void SetValue(TVariant v);
    bool IsNull() const { return value_.IsNull(); }
    /// Makes the value null; the data type stays.
    void Clear() { value_ = TVariant(); }

    std::string AsString() const { return value_.AsString(); }
    std::int64_t AsInteger() const { return value_.AsInteger(); }
    double AsFloat() const { return value_.AsFloat(); }
    bool AsBoolean() const { return value_.AsBoolean(); }
    TDateTime AsDateTime() const { return value_.AsDateTime(); }
    std::string AsBlob() const { return value_.AsBytes(); }

    void SetAsString(std::string v);
    void SetAsInteger(std::int64_t v);
    void SetAsFloat(double v);
    void SetAsBoolean(bool v);
    void SetAsDateTime(TDateTime v);
    void SetAsDate(TDateTime v);
    void SetAsTime(TDateTime v);
    /// Raw bytes of a large object (binary).
    void SetAsBlob(std::string v);
    /// Text of a large object.
    void SetAsMemo(std::string v);

    /// Takes the field's data type and value (a large object's bytes, an exact numeric's text).
    void AssignField(const TField& field);
    /// Copies data type, parameter type and value (not the name).
    void AssignValue(const TParam& other);

private:
    std::string name_;
    TFieldType type_;
    TParamType paramType_;
    TVariant value_;
};

/// An owned, ordered list of parameters; a name may occur more than once.
class TParams {
public:
    TParams() = default;
    TParams(const TParams&) = delete;
    TParams& operator=(const TParams&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    /// The parameter at the 0-based index; throws EDatabaseError when out of range.
    TParam& operator[](int index) const;
    /// Appends a parameter of that name and returns it.
    TParam& CreateParam(std::string name, TFieldType type = TFieldType::ftUnknown,
                        TParamType paramType = TParamType::ptInput);
    /// Appends a parameter with only its name set.
    TParam& Add(std::string name) { return CreateParam(std::move(name)); }
    void Clear() { items_.clear(); }
    /// The first parameter of that name (case-insensitive), or nullptr.
    TParam* FindParam(std::string_view name) const;
    /// As FindParam; throws EDatabaseError "Parameter 'X' not found" when there is none.
    TParam& ParamByName(std::string_view name) const;
    /// Replaces the list by copies of the other's parameters (names, types, values).
    void Assign(const TParams& other);
    /// For every parameter here, takes the value of the first one of the same name in other.
    void AssignValues(const TParams& other);

private:
    std::vector<std::unique_ptr<TParam>> items_;
};

} // namespace smx
