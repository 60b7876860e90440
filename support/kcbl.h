// Kcbl: the library's human-editable keyword text format. A document of lines
// "keyword = value, value, ..." with comment lines, nested named chunks "{ = Name" ... "}",
// arrays in braces, quoted strings and raw text blocks, held in memory as a tree of
// items that callers walk with a cursor, search, read as typed data, change and write
// back out as text.
//
// Every value is stored as text; typed values are converted on reading and writing.
// Names and values are compared without regard to letter case.
#pragma once

#include <cstdarg>
#include <cstdint>

#include "llist.h"

// Type tags of the value lists of CreateNewItem / GetValues; the numbering is fixed.
enum KcblTag {
    KEND = 0x10000000,
    KBOOL = 0x10000001,
    KLONG = 0x10000002,
    KULONG = 0x10000003,
    KFLOAT = 0x10000004,
    KDOUBLE = 0x10000005,
    KSTRING = 0x10000006,
    KBOOLARRAY = 0x10000007,
    KLONGARRAY = 0x10000008,
    KULONGARRAY = 0x10000009,
    KFLOATARRAY = 0x1000000A,
    KDOUBLEARRAY = 0x1000000B,
    KARGS = 0x1000000C,
};

#define KCBL_NO_LINE_LIMIT 1000000
// The comment item at the head of every list; never exported, never deleted.
#define KCBL_SENTINEL "; I don't exist"

// Markers inside the stored text of an array value.
#define KCBL_ARRAY_START 0xFD
#define KCBL_ARRAY_END 0xFE
#define KCBL_ITEM_END 0xFF

struct KcblList;

// One allocation: this header, the value table, then the text (name and values, each
// NUL-ended, then the end byte 0xFF).
struct KcblItem {
    char* name;
    char** values;
    int32_t count;
    int32_t textLength;
    KcblList* sub;  // chunks only
};

struct KcblList {
    LList list;
    KcblList* parent;
};

class Kcbl {
public:
    Kcbl();
    ~Kcbl();
    Kcbl(const Kcbl&) = delete;
    Kcbl& operator=(const Kcbl&) = delete;

    int Init();
    int Clear();
    int Import(const char* text);
    int ImportFile(const char* path);
    // Length counts the final NUL. measureOnly (or no buffer) only counts.
    int Export(char* buffer, int32_t size, int32_t* length, int measureOnly);
    int ExportedSize(int32_t* length);
    int ExportFile(const char* path);

    void SetMaxLineLength(int32_t n);
    void SetFloatPrecision(int32_t n);
    void SetDoublePrecision(int32_t n);
    void SetSearchWrap(int on);
    int32_t MaxLineLength() const { return maxLineLength; }
    const char* FloatFormat() const { return floatFormat; }
    const char* DoubleFormat() const { return doubleFormat; }
    int IsInitialised() const { return initialised; }

    int FirstItem();
    int NextItem(int descend);
    int ItemExists();
    int ItemKind();
    int EnterChunk();
    int LeaveChunk();
    // Null when the cursor stands on no item (or the index is out of range).
    const char* ItemName();
    int ValueCount();
    const char* GetValue(int index);
    int IsBlankOrComment();

    int FindItem(const char* name, const char* f1 = nullptr, const char* f2 = nullptr,
                 const char* f3 = nullptr);
    int FindChunk(const char* chunkName, const char* f2 = nullptr, const char* f3 = nullptr);
    int FindRawData(const char* f1 = nullptr, const char* f2 = nullptr, const char* f3 = nullptr);

    // keyword (or null for the current item), then tags with output arguments, KEND.
    int GetValues(const char* keyword, ...);
    int GetBool(int index, uint8_t* value);
    int GetLong(int index, int32_t* value);
    int GetULong(int index, uint32_t* value);
    int GetFloat(int index, float* value);
    int GetDouble(int index, double* value);
    // 1 only when exactly n elements were read; missing gets the requested elements
    // that were left over.
    int GetBoolArray(int index, uint8_t* values, int n, int* missing = nullptr);
    int GetLongArray(int index, int32_t* values, int n, int* missing = nullptr);
    int GetULongArray(int index, uint32_t* values, int n, int* missing = nullptr);
    int GetFloatArray(int index, float* values, int n, int* missing = nullptr);
    int GetDoubleArray(int index, double* values, int n, int* missing = nullptr);
    int ArrayLength(int index, int* count);

    // keyword, then tags with values, KEND; or keyword, KARGS, va_list* holding the tags.
    int CreateNewItem(const char* keyword, ...);
    int NewItem(const char* keyword, ...);
    int NewChunk(int firstTag, ...);
    int KillItem();
    int ReplaceItem(const char* keyword, ...);

    // One step of the writer: the line's length (LF included), 0 when it does not fit
    // in size (which must also hold a NUL), -1 when the walk is finished.
    int GetLine(char* buffer, int32_t size, int32_t* indent, int measureOnly, int keepCursor);

private:
    struct ValueSource;
    struct Output;

    void Trace(const char* label, int place);
    KcblItem* CurrentItem();
    KcblList* NewList(KcblList* parent);
    int AddSentinel(KcblList* list);
    void FreeList(KcblList* list);
    void FreeItem(KcblItem* item);
    int ParseLine(const char** text);
    int CreateItem(const char* keyword, int firstTag, va_list* args);
    int GetValuesV(const char* keyword, va_list* args);
    int Matches(KcblItem* item, const char* name, const char* f1, const char* f2, const char* f3);
    int WriteItem(KcblItem* item, int32_t indent, Output& out, bool trace);

    KcblList* currentList;
    KcblList* root;
    int initialised;
    char floatFormat[15];
    char doubleFormat[17];
    int32_t maxLineLength;
    int searchWrap;
};
