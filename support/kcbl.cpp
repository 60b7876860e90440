// The kcbl keyword text: parsing lines into items of one allocation each, the chunk
// tree with its cursor, reading values, building items and writing the text back.
//
// Sections: text helpers and the item block; the item parser (ParseItemText); value
// conversions; lists and items (construction, freeing); import; export (WriteItem,
// GetLine, Export, ExportFile); number formats; the cursor (first, next, enter,
// leave); finding items and chunks; reading values (GetBool .. GetValuesV); making,
// killing and replacing items.
#include "kcbl.h"

#include <cstdio>
#include <cstring>
#include <cstdlib>

#include "ansi/file.h"
#include "ansi/memory.h"
#include "misc.h"

namespace {

const char kBinaryText[] = "Binary/corrupt data detected while trying to add it to a kbcl list";
const char kMissingQuote[] = "Missing terminating \" in string";
const char kMalformedRaw[] = "Malformed rawdata string";
const char kBinaryRaw[] = "Binary data detected in a rawdata ascii chunk";
const char kArrayEnd[] = "Trying to end array without starting one";
const char kUnknownType[] = "Unknown data type (Missing KEND?) in keyword \"%s\"";
const char kNullString[] = "Tried to add NULL string in keyword \"%s\"";

// The largest count GetValues accepts for a string buffer or an array.
const int kMaxRequestCount = 65535;
// Longest item name ReplaceItem carries over from the current item.
const size_t kMaxReplaceName = 90;
// Room for one formatted number: the widest is a double near 1e308 with 10 decimals.
const int kNumberSize = 400;

// Where each trace line says it was written from.
enum TracePlace {
    TRACE_INIT = 1,
    TRACE_IMPORT,
    TRACE_EXPORT,
    TRACE_SET_MAX_LINE,
    TRACE_FIND_ITEM,
    TRACE_FIRST_ITEM,
    TRACE_NEXT_ITEM,
    TRACE_ITEM_EXISTS,
    TRACE_NEW_ITEM,
    TRACE_CREATE,
    TRACE_CREATE_EXIT,
    TRACE_KILL,
    TRACE_GETLINE_START,
    TRACE_GETLINE,
    TRACE_GETLINE_STOP,
    TRACE_KILL_END,
};

int Lower(int c) { return (c >= 'A' && c <= 'Z') ? c + ('a' - 'A') : c; }

bool SameText(const char* a, const char* b) {
    for (;; ++a, ++b) {
        if (Lower(static_cast<unsigned char>(*a)) != Lower(static_cast<unsigned char>(*b))) return false;
        if (!*a) return true;
    }
}

bool IsBlank(unsigned char c) { return c == ' ' || c == '\t'; }
bool IsBreak(unsigned char c) { return c == '\n' || c == '\r'; }

// Outside strings and comments only printable ASCII, TAB and line breaks are text.
bool IsBinary(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c >= 0x7F;
}
// Raw text also allows bytes from 0x80 up.
bool IsRawBinary(unsigned char c) {
    return (c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F;
}

const unsigned char* SkipBlanks(const unsigned char* p) {
    while (IsBlank(*p)) ++p;
    return p;
}
const unsigned char* LineEnd(const unsigned char* p) {
    while (*p && !IsBreak(*p)) ++p;
    return p;
}
// Steps over one line break (LF, CR or CR LF) if p stands on one.
const unsigned char* SkipBreak(const unsigned char* p) {
    if (*p == '\r') {
        ++p;
        if (*p == '\n') ++p;
    } else if (*p == '\n') {
        ++p;
    }
    return p;
}

int Fail(bool report, const char* text) {
    if (report) SetErrorText("%s", text);
    return 0;
}

// ---------------------------------------------------------------- the item block

// Collects an item's text twice with the same calls: first counting values and bytes,
// then storing them into a block of exactly that size.
struct ItemSink {
    char* text = nullptr;
    char** values = nullptr;
    size_t bytes = 0;
    int32_t count = 0;
    // The first bytes of the latest value, for the raw-data check (-1: in the name).
    unsigned char head[9];
    int headLength = -1;

    void Put(unsigned char c) {
        if (text) text[bytes] = char(c);
        ++bytes;
        if (headLength >= 0 && headLength < int(sizeof head)) head[headLength++] = c;
    }
    void Text(const char* t) {
        while (*t) Put(static_cast<unsigned char>(*t++));
    }
    void BeginValue() {
        if (values) values[count] = text + bytes;
        ++count;
        headLength = 0;
    }
    bool HeadIs(const char* prefix) const {
        size_t n = std::strlen(prefix);
        return headLength >= int(n) && std::memcmp(head, prefix, n) == 0;
    }
};

// One item's block: header, value table, text; the sink of the storing pass.
KcblItem* AllocateItem(const ItemSink& measured, ItemSink* store) {
    if (measured.bytes > 0x7FFFFFF0u || measured.count < 0) {
        SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
        return nullptr;
    }
    size_t table = size_t(measured.count) * sizeof(char*);
    void* block = XALLOC(sizeof(KcblItem) + table + measured.bytes);
    if (!block) {
        SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
        return nullptr;
    }
    KcblItem* item = static_cast<KcblItem*>(block);
    item->values = reinterpret_cast<char**>(item + 1);
    item->name = reinterpret_cast<char*>(item->values) + table;
    item->count = measured.count;
    item->textLength = int32_t(measured.bytes);
    item->sub = nullptr;
    store->text = item->name;
    store->values = item->values;
    return item;
}

KcblItem* MakeBareItem(const char* name) {
    ItemSink measure;
    measure.Text(name);
    measure.Put(0);
    measure.Put(KCBL_ITEM_END);
    ItemSink store;
    KcblItem* item = AllocateItem(measure, &store);
    if (!item) return nullptr;
    store.Text(name);
    store.Put(0);
    store.Put(KCBL_ITEM_END);
    return item;
}

// ---------------------------------------------------------------- the item parser

// The parse of one logical line: where it stands and what it is inside of. Each step
// takes the characters of one token at p and says whether the item goes on (STEP_ON),
// ends with this line (STEP_END) or fails (STEP_FAIL, the error recorded if asked).
class ItemParser {
public:
    ItemParser(const unsigned char* start, ItemSink& sink, bool reportErrors)
        : p(start), s(sink), report(reportErrors) {}

    enum Step { STEP_ON, STEP_END, STEP_FAIL };

    // Reads the line (and the raw block after a "[" line); 1 with p past its break.
    int Parse() {
        const bool raw = *p == '[';
        for (Step step = STEP_ON; step == STEP_ON;) {
            step = Token();
            if (step == STEP_FAIL) return 0;
        }
        if (inArray) CloseArray();
        s.Put(0);
        if (raw && !RawBlock()) return 0;
        s.Put(KCBL_ITEM_END);
        return 1;
    }

    const unsigned char* p;

private:
    Step Token() {
        const unsigned char c = *p;
        if (c == 0) return STEP_END;
        if (IsBreak(c)) {
            p = SkipBreak(p);
            // A line that ends on "," or is followed by a string line goes on.
            return lastComma || *SkipBlanks(p) == '"' ? STEP_ON : STEP_END;
        }
        if (IsBlank(c)) {
            ++p;
            return STEP_ON;
        }
        if (c == '"') return QuotedString();
        if (c == ';') return Comment();
        if (c == ',' || c == '=') return Separator(c);
        if (c == '{' && !inName && (inArray || !valueStarted)) return OpenBrace();
        if (c == '}' && !inName) return CloseBrace();
        if (IsBinary(c)) return Failed(kBinaryText);
        ++p;
        lastComma = false;
        Content();
        s.Put(c);
        return STEP_ON;
    }

    Step Failed(const char* text) {
        Fail(report, text);
        return STEP_FAIL;
    }

    void Content() {
        valueStarted = true;
        if (inArray) elementOpen = true;
    }

    void CloseArray() {
        if (elementOpen) s.Put(0);
        s.Put(KCBL_ARRAY_END);
        inArray = false;
        elementOpen = false;
    }

    // Escapes \n, \t and \r; the end of the text closes the string, a line break in it
    // is an error.
    Step QuotedString() {
        lastComma = false;
        Content();
        ++p;
        for (;;) {
            unsigned char d = *p;
            if (d == 0) return STEP_ON;
            if (IsBreak(d)) return Failed(kMissingQuote);
            ++p;
            if (d == '"') return STEP_ON;
            if (d == '\\') {
                const unsigned char e = *p;
                if (e == 0) return STEP_ON;
                if (IsBreak(e)) return Failed(kMissingQuote);
                ++p;
                d = e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
            }
            s.Put(d);
        }
    }

    // The rest of the line, as the text of the sink.
    void PutRestOfLine() {
        const unsigned char* end = LineEnd(p);
        while (p < end) s.Put(*p++);
        p = SkipBreak(p);
    }

    Step Comment() {
        if (inName) {
            // The comment becomes part of the name, and the item ends with the line.
            PutRestOfLine();
            return STEP_END;
        }
        if (lastComma) {
            // A comment after "," is dropped and the values go on on the next line.
            p = SkipBreak(LineEnd(p));
            return STEP_ON;
        }
        if (inArray) CloseArray();
        s.Put(0);
        s.BeginValue();
        PutRestOfLine();
        return STEP_END;
    }

    Step Separator(unsigned char c) {
        ++p;
        s.Put(0);
        if (inArray) {
            elementOpen = true;
        } else {
            inName = false;
            s.BeginValue();
            valueStarted = false;
        }
        lastComma = c == ',';
        return STEP_ON;
    }

    Step OpenBrace() {
        ++p;
        lastComma = false;
        if (inArray) {
            ++depth;  // nested braces flatten into the one array
            return STEP_ON;
        }
        s.Put(KCBL_ARRAY_START);
        inArray = true;
        depth = 1;
        elementOpen = false;
        valueStarted = true;
        return STEP_ON;
    }

    Step CloseBrace() {
        ++p;
        lastComma = false;
        if (!inArray) return Failed(kArrayEnd);
        if (depth > 1) {
            --depth;
            return STEP_ON;
        }
        // Only a brace before a separator, a comment or the end of the logical line
        // ends the array; any other is dropped.
        const unsigned char* q = SkipBlanks(p);
        bool ends = *q == ',' || *q == '=' || *q == ';' || *q == 0;
        if (IsBreak(*q)) ends = *SkipBlanks(SkipBreak(q)) != '"';
        if (ends) CloseArray();
        return STEP_ON;
    }

    // After an "[ASCIIDATA" line: the lines up to the first "]" line, as they stand,
    // line breaks included, as one more value.
    int RawBlock() {
        if (s.count == 0 || !s.HeadIs("ASCIIDATA")) return Fail(report, kMalformedRaw);
        s.BeginValue();
        while (*p) {
            if (*SkipBlanks(p) == ']') break;
            while (*p && !IsBreak(*p)) {
                if (IsRawBinary(*p)) return Fail(report, kBinaryRaw);
                s.Put(*p++);
            }
            if (*p == '\r') {
                s.Put(*p++);
                if (*p == '\n') s.Put(*p++);
            } else if (*p == '\n') {
                s.Put(*p++);
            }
        }
        s.Put(0);
        return 1;
    }

    ItemSink& s;
    const bool report;
    bool inName = true;
    bool lastComma = false;     // the last significant character was ","
    bool valueStarted = false;  // the current value has content (an array may open only before)
    bool inArray = false;
    bool elementOpen = false;
    int32_t depth = 0;
};

// Reads one logical line (and the raw block after a "[" line) at *cursor into the
// sink; on success *cursor is past its line break.
int ParseItemText(const unsigned char** cursor, ItemSink& s, bool report) {
    ItemParser parser(*cursor, s, report);
    if (!parser.Parse()) return 0;
    *cursor = parser.p;
    return 1;
}

// ---------------------------------------------------------------- value conversions

// A value that can be written without quotes.
bool IsPlain(const char* v) {
    if (!*v) return false;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(v); *p; ++p) {
        unsigned char c = *p;
        // "=" is a separator on reading too, so it is quoted like ","; a backslash is
        // quoted so that it comes back doubled.
        if (c <= 0x20 || c >= 0x7F || c == ',' || c == '{' || c == '}' || c == '"' || c == ';' ||
            c == '=' || c == '\\')
            return false;
    }
    return true;
}

// Decimal reading as "%ld"/"%lu" would do it, but without undefined behaviour on
// overflow: the result saturates. Returns false when no digit was read.
bool ParseInteger(const char* text, bool* negative, uint64_t* magnitude) {
    const char* p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    *negative = false;
    if (*p == '+' || *p == '-') *negative = *p++ == '-';
    if (*p < '0' || *p > '9') return false;
    uint64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value < (uint64_t(1) << 40)) value = value * 10 + uint64_t(*p - '0');
    }
    *magnitude = value;
    return true;
}

bool ConvertBool(const char* text, uint8_t* out) {
    if (SameText(text, "TRUE") || SameText(text, "1") || SameText(text, "YES")) {
        *out = 1;
        return true;
    }
    if (SameText(text, "FALSE") || SameText(text, "0") || SameText(text, "NO")) {
        *out = 0;
        return true;
    }
    return false;
}

bool ConvertLong(const char* text, int32_t* out) {
    bool negative;
    uint64_t magnitude;
    if (!ParseInteger(text, &negative, &magnitude)) return false;
    if (negative)
        *out = magnitude > 0x80000000u ? INT32_MIN : int32_t(0 - int64_t(magnitude));
    else
        *out = magnitude > 0x7FFFFFFFu ? INT32_MAX : int32_t(magnitude);
    return true;
}

bool ConvertULong(const char* text, uint32_t* out) {
    bool negative;
    uint64_t magnitude;
    if (!ParseInteger(text, &negative, &magnitude)) return false;
    if (magnitude > 0xFFFFFFFFu)
        *out = 0xFFFFFFFFu;
    else
        *out = negative ? uint32_t(0u - uint32_t(magnitude)) : uint32_t(magnitude);
    return true;
}

bool ConvertFloat(const char* text, float* out) {
    char* end;
    float value = std::strtof(text, &end);
    if (end == text) return false;
    *out = value;
    return true;
}

bool ConvertDouble(const char* text, double* out) {
    char* end;
    double value = std::strtod(text, &end);
    if (end == text) return false;
    *out = value;
    return true;
}

// Array elements follow the start byte, each NUL-ended, up to the end byte or the
// item's end byte.
template <typename T, typename Convert>
int ReadArray(const char* value, T* out, int n, int* missing, Convert convert) {
    if (n < 0) n = 0;
    if (!value || static_cast<unsigned char>(value[0]) != KCBL_ARRAY_START || (!out && n > 0)) {
        if (missing) *missing = n;
        return 0;
    }
    const char* p = value + 1;
    int got = 0;
    while (got < n) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c == KCBL_ARRAY_END || c == KCBL_ITEM_END) break;
        if (!convert(p, &out[got])) break;
        ++got;
        p += std::strlen(p) + 1;
    }
    if (missing) *missing = n - got;
    return got == n;
}

void FormatNumber(char* out, const char* format, double value) {
    std::snprintf(out, kNumberSize, format, value);
}

// Zeros at the end of the fraction go, and the point with them when nothing is left.
void TrimFraction(char* text) {
    if (!std::strchr(text, '.')) return;
    size_t n = std::strlen(text);
    while (n > 0 && text[n - 1] == '0') text[--n] = 0;
    if (n > 0 && text[n - 1] == '.') text[--n] = 0;
}

}  // namespace

// ---------------------------------------------------------------- lists and items

// The text the writer produces; without a buffer it only counts.
struct Kcbl::Output {
    char* buffer = nullptr;
    int64_t length = 0;
    int64_t column = 0;

    void Put(char c) {
        if (buffer) buffer[length] = c;
        ++length;
        column = c == '\n' ? 0 : column + 1;
    }
    void Text(const char* t) {
        while (*t) Put(*t++);
    }
    void Spaces(int64_t n) {
        for (int64_t i = 0; i < n; ++i) Put(' ');
    }
};

Kcbl::Kcbl()
    : currentList(nullptr), root(nullptr), initialised(0), maxLineLength(KCBL_NO_LINE_LIMIT),
      searchWrap(1) {
    root = XNEW(KcblList);
    root->parent = nullptr;
    currentList = root;
    std::snprintf(floatFormat, sizeof floatFormat, "%%f");
    std::snprintf(doubleFormat, sizeof doubleFormat, "%%lf");
}

Kcbl::~Kcbl() {
    Clear();
    XDELETE(root);
}

void Kcbl::Trace(const char* label, int place) {
    if (maxLineLength != KCBL_NO_LINE_LIMIT)
        LogRaw("Maxlinelength = %ld at %ld (%s)\n", long(maxLineLength), long(place), label);
}

KcblItem* Kcbl::CurrentItem() { return static_cast<KcblItem*>(currentList->list.Current()); }

KcblList* Kcbl::NewList(KcblList* parent) {
    KcblList* list = XNEW(KcblList);
    if (!list) {
        SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
        return nullptr;
    }
    list->parent = parent;
    return list;
}

int Kcbl::AddSentinel(KcblList* list) {
    KcblItem* item = MakeBareItem(KCBL_SENTINEL);
    if (!item) return 0;
    if (!list->list.AddBack(item)) {
        xFree(item);
        return SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
    }
    return 1;
}

// Frees every item below top, depth first, without recursion (nesting depth is up to
// the file); top itself stays, empty.
void Kcbl::FreeList(KcblList* top) {
    KcblList* list = top;
    for (;;) {
        if (list->list.First()) {
            KcblItem* item = static_cast<KcblItem*>(list->list.Current());
            if (item->sub) {
                list = item->sub;
                continue;
            }
            list->list.Remove(1);
            xFree(item);
            continue;
        }
        if (list == top) break;
        // An emptied sub-list belongs to the head item of its parent, which goes next.
        KcblList* parent = list->parent;
        parent->list.First();
        static_cast<KcblItem*>(parent->list.Current())->sub = nullptr;
        XDELETE(list);
        list = parent;
    }
    top->list.Clear();
}

void Kcbl::FreeItem(KcblItem* item) {
    if (item->sub) {
        FreeList(item->sub);
        XDELETE(item->sub);
        item->sub = nullptr;
    }
    xFree(item);
}

int Kcbl::Init() {
    Trace("Init", TRACE_INIT);
    Clear();
    initialised = 1;
    currentList = root;
    return AddSentinel(root);
}

int Kcbl::Clear() {
    FreeList(root);
    currentList = root;
    initialised = 0;
    return 1;
}

// ---------------------------------------------------------------- import

int Kcbl::ParseLine(const char** text) {
    const unsigned char* start = reinterpret_cast<const unsigned char*>(*text);
    const unsigned char* p = start;
    ItemSink measure;
    if (!ParseItemText(&p, measure, true)) return 0;
    ItemSink store;
    KcblItem* item = AllocateItem(measure, &store);
    if (!item) return 0;
    p = start;
    ParseItemText(&p, store, false);
    if (!currentList->list.AddBack(item)) {
        xFree(item);
        return SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
    }
    if (std::strcmp(item->name, "{") == 0) {
        KcblList* sub = NewList(currentList);
        if (!sub) return 0;
        item->sub = sub;
        if (!AddSentinel(sub)) return 0;
        currentList = sub;
    }
    *text = reinterpret_cast<const char*>(p);
    return 1;
}

int Kcbl::Import(const char* text) {
    Trace("Import", TRACE_IMPORT);
    if (!Init()) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text ? text : "");
    while (*p) {
        const unsigned char* start = SkipBlanks(p);
        if (*start == '}' || *start == ']') {
            // A "}" with no chunk open has nothing to close and is passed over.
            if (*start == '}' && currentList->parent) currentList = currentList->parent;
            p = SkipBreak(LineEnd(start));
            continue;
        }
        const char* line = reinterpret_cast<const char*>(start);
        if (!ParseLine(&line)) return 0;
        p = reinterpret_cast<const unsigned char*>(line);
    }
    currentList = root;
    FirstItem();
    return 1;
}

int Kcbl::ImportFile(const char* path) {
    File file;
    if (!file.Open(path, FILE_READ)) return 0;
    int32_t length;
    if (!file.Length(&length)) return 0;
    if (length < 0) return SetError(ERR_READ, __FILE__, __LINE__);
    char* block = static_cast<char*>(XALLOC(size_t(length) + 1));
    if (!block) return SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
    if (length > 0 && !file.Read(block, length)) {
        xFree(block);
        return 0;
    }
    block[length] = 0;
    file.Close();
    // The text ends at the first NUL byte, wherever the file puts one.
    int ok = Import(block);
    xFree(block);
    return ok;
}

// ---------------------------------------------------------------- export

int Kcbl::WriteItem(KcblItem* item, int32_t indent, Output& out, bool trace) {
    int32_t n = item->count;
    const bool raw = std::strcmp(item->name, "[") == 0;
    if (raw) {
        if (n < 2 || std::strncmp(item->values[n - 2], "ASCIIDATA", 9) != 0)
            return SetErrorText("%s", kMalformedRaw);
        --n;  // the raw text goes below the line
    }
    out.Spaces(indent);
    out.Text(item->name);
    if (n > 0 && item->values[0][0] != ';') out.Text(" = ");
    if (trace) Trace("GetLine", TRACE_GETLINE);

    const bool limited = maxLineLength != KCBL_NO_LINE_LIMIT;
    const int64_t valueColumn = out.column;
    const int64_t limit = maxLineLength > valueColumn + 3 ? maxLineLength : valueColumn + 3;

    auto quoted = [&](const char* v, bool split) {
        out.Put('"');
        bool pieceHasText = false;
        for (const char* p = v; *p; ++p) {
            const char* escape = *p == '\t'   ? "\\t"
                                 : *p == '\n' ? "\\n"
                                 : *p == '\r' ? "\\r"
                                 : *p == '"'  ? "\\\""
                                 : *p == '\\' ? "\\\\"
                                              : nullptr;
            int64_t width = escape ? 2 : 1;
            if (split && pieceHasText && out.column + width > limit - 2) {
                // A quote opening the next line continues the value there on reading.
                out.Put('"');
                out.Put('\n');
                out.Spaces(valueColumn);
                out.Put('"');
            }
            if (escape)
                out.Text(escape);
            else
                out.Put(*p);
            pieceHasText = true;
        }
        out.Put('"');
    };

    for (int32_t i = 0; i < n; ++i) {
        const char* v = item->values[i];
        const bool more = i + 1 < n;
        if (v[0] == ';') {
            if (more) out.Text(", ");
            out.Text("\t\t");
            out.Text(v);
            if (more) {
                out.Put('\n');
                out.Put('\t');
            }
            continue;
        }
        if (i > 0 && item->values[i - 1][0] != ';') out.Text(", ");
        if (static_cast<unsigned char>(v[0]) == KCBL_ARRAY_START) {
            out.Text("{ ");
            const char* p = v + 1;
            int elements = 0;
            while (static_cast<unsigned char>(*p) != KCBL_ARRAY_END &&
                   static_cast<unsigned char>(*p) != KCBL_ITEM_END) {
                size_t length = std::strlen(p);
                const unsigned char after = static_cast<unsigned char>(p[length + 1]);
                const bool only = elements == 0 && (after == KCBL_ARRAY_END || after == KCBL_ITEM_END);
                if (elements > 0) out.Text(", ");
                // An element that would not read back as itself is quoted; so is a lone
                // empty element, which would otherwise read back as no element.
                if ((length == 0 && !only) || IsPlain(p))
                    out.Text(p);
                else
                    quoted(p, false);
                ++elements;
                p += length + 1;
            }
            out.Put('}');
            continue;
        }
        if (IsPlain(v) && (!limited || out.column + int64_t(std::strlen(v)) <= limit))
            out.Text(v);
        else
            quoted(v, limited);
    }
    out.Put('\n');
    if (raw) {
        const char* text = item->values[n];
        out.Text(text);
        size_t length = std::strlen(text);
        // The "]" must start a line of its own, or the reader would take it as text.
        if (length > 0 && text[length - 1] != '\n' && text[length - 1] != '\r') out.Put('\n');
        out.Spaces(indent >= 4 ? indent - 4 : 0);
        out.Put(']');
        out.Put('\n');
    }
    return 1;
}

int Kcbl::GetLine(char* buffer, int32_t size, int32_t* indent, int measureOnly, int keepCursor) {
    Trace("GetLine-start", TRACE_GETLINE_START);
    const int32_t depth = indent ? *indent : 0;
    const bool measure = measureOnly || !buffer;
    KcblItem* item = CurrentItem();
    if (!item && !currentList->parent) {
        Trace("GetLine-stop", TRACE_GETLINE_STOP);
        return -1;
    }
    Output counted;
    int32_t closeIndent = depth >= 4 ? depth - 4 : 0;
    if (item) {
        if (!WriteItem(item, depth, counted, measure)) return 0;
    } else {
        counted.Spaces(closeIndent);
        counted.Put('}');
        counted.Put('\n');
    }
    if (counted.length > 0x7FFFFFF0) return SetError(ERR_OVERFLOW_BYTES, __FILE__, __LINE__);
    const int32_t length = int32_t(counted.length);
    if (!measure) {
        // The line and a terminating NUL must fit.
        if (size <= 0 || length >= size) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
        Output out;
        out.buffer = buffer;
        if (item) {
            WriteItem(item, depth, out, true);
        } else {
            out.Spaces(closeIndent);
            out.Put('}');
            out.Put('\n');
        }
        buffer[length] = 0;
    }
    if (!keepCursor) {
        if (!item) {
            currentList = currentList->parent;
            currentList->list.Next();
            if (indent) *indent = closeIndent;
        } else if (item->sub) {
            currentList = item->sub;
            currentList->list.First();
            currentList->list.Next();
            if (indent) *indent = depth + 4;
        } else {
            currentList->list.Next();
        }
    }
    Trace("GetLine-stop", TRACE_GETLINE_STOP);
    return length;
}

int Kcbl::Export(char* buffer, int32_t size, int32_t* length, int measureOnly) {
    Trace("Export", TRACE_EXPORT);
    const bool measure = measureOnly || !buffer;
    if (!initialised || (!measure && size <= 0)) {
        // With no room at all not even the NUL is written.
        if (buffer && size > 0) buffer[0] = 0;
        if (length) *length = 1;
        return 1;
    }
    KcblList* saved = currentList;
    const bool savedPushed = saved->list.PushCursor();
    const bool rootPushed = saved != root && root->list.PushCursor();

    currentList = root;
    root->list.First();
    root->list.Next();
    int32_t used = 0;
    int32_t indent = 0;
    int ok = 1;
    for (;;) {
        int line = GetLine(measure ? nullptr : buffer + used, measure ? 0 : size - used, &indent,
                           measure, 0);
        if (line < 0) break;
        if (line == 0 || (measure && used > 0x7FFFFFF0 - line)) {
            ok = 0;
            break;
        }
        used += line;
    }

    if (rootPushed) root->list.PopCursor();
    currentList = saved;
    if (savedPushed) saved->list.PopCursor();
    if (!ok) {
        if (length) *length = -1;
        return 0;
    }
    if (!measure) buffer[used] = 0;
    if (length) *length = used + 1;
    return 1;
}

int Kcbl::ExportedSize(int32_t* length) { return Export(nullptr, 0, length, 1); }

int Kcbl::ExportFile(const char* path) {
    File file;
    if (!file.Open(path, FILE_WRITE)) return 0;
    int32_t capacity = 1024;
    char* buffer = static_cast<char*>(XALLOC(size_t(capacity)));
    if (!buffer) return SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);

    KcblList* saved = currentList;
    const bool savedPushed = saved->list.PushCursor();
    const bool rootPushed = saved != root && root->list.PushCursor();
    currentList = root;
    root->list.First();
    root->list.Next();
    int32_t indent = 0;
    int ok = 1;
    if (initialised) {
        for (;;) {
            int line = GetLine(nullptr, 0, &indent, 1, 1);
            if (line < 0) break;
            if (line == 0) {
                ok = 0;
                break;
            }
            if (capacity < line + 200) {
                xFree(buffer);
                capacity = line + 200;
                buffer = static_cast<char*>(XALLOC(size_t(capacity)));
                if (!buffer) {
                    ok = SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
                    break;
                }
            }
            line = GetLine(buffer, capacity, &indent, 0, 0);
            if (line <= 0 || !file.Write(buffer, line)) {
                ok = 0;
                break;
            }
        }
    }
    if (rootPushed) root->list.PopCursor();
    currentList = saved;
    if (savedPushed) saved->list.PopCursor();
    if (buffer) xFree(buffer);
    if (!file.Close() && ok) ok = SetError(ERR_WRITE, __FILE__, __LINE__);
    return ok;
}

// ---------------------------------------------------------------- number formats

void Kcbl::SetMaxLineLength(int32_t n) {
    if (n == 0)
        maxLineLength = KCBL_NO_LINE_LIMIT;
    else if (n > 0)
        maxLineLength = n;
    Trace("SetMaxLineLEngth", TRACE_SET_MAX_LINE);
}

void Kcbl::SetFloatPrecision(int32_t n) {
    if (n < 0) {
        std::snprintf(floatFormat, sizeof floatFormat, "%%f");
        return;
    }
    std::snprintf(floatFormat, sizeof floatFormat, "%%.%ldf", long(n > 10 ? 10 : n));
}

void Kcbl::SetDoublePrecision(int32_t n) {
    if (n < 0) {
        std::snprintf(doubleFormat, sizeof doubleFormat, "%%lf");
        return;
    }
    std::snprintf(doubleFormat, sizeof doubleFormat, "%%.%ldlf", long(n > 10 ? 10 : n));
}

void Kcbl::SetSearchWrap(int on) { searchWrap = on ? 1 : 0; }

// ---------------------------------------------------------------- the cursor

int Kcbl::FirstItem() {
    Trace("FirstItem", TRACE_FIRST_ITEM);
    currentList->list.First();
    currentList->list.Next();
    return currentList->list.IsValid();
}

int Kcbl::NextItem(int descend) {
    Trace("NextItem", TRACE_NEXT_ITEM);
    KcblItem* item = CurrentItem();
    if (descend && item && item->sub) return EnterChunk();
    if (currentList->list.Next()) return 1;
    if (descend && currentList->parent) {
        LeaveChunk();
        currentList->list.Next();
    }
    return 0;
}

int Kcbl::ItemExists() {
    Trace("ItemExists", TRACE_ITEM_EXISTS);
    return CurrentItem() != nullptr;
}

int Kcbl::ItemKind() {
    KcblItem* item = CurrentItem();
    if (!item) return 0;
    return item->sub ? 2 : 1;
}

int Kcbl::EnterChunk() {
    KcblItem* item = CurrentItem();
    if (!item || !item->sub) return 0;
    currentList = item->sub;
    FirstItem();
    return 1;
}

int Kcbl::LeaveChunk() {
    if (!currentList->parent) return 0;
    currentList = currentList->parent;
    return 1;
}

const char* Kcbl::ItemName() {
    KcblItem* item = CurrentItem();
    return item ? item->name : nullptr;
}

int Kcbl::ValueCount() {
    KcblItem* item = CurrentItem();
    return item ? item->count : 0;
}

const char* Kcbl::GetValue(int index) {
    KcblItem* item = CurrentItem();
    if (!item || index < 0 || index >= item->count) return nullptr;
    return item->values[index];
}

int Kcbl::IsBlankOrComment() {
    KcblItem* item = CurrentItem();
    if (!item) return 0;
    char c = item->name[0];
    return c == 0 || c == '\t' || c == ' ' || c == ';';
}

int Kcbl::Matches(KcblItem* item, const char* name, const char* f1, const char* f2,
                  const char* f3) {
    if (!SameText(item->name, name)) return 0;
    const char* filters[3] = {f1, f2, f3};
    int32_t next = 0;  // present filters are compared with values 0, 1, 2 in turn
    for (const char* filter : filters) {
        if (!filter) continue;
        if (next >= item->count || !SameText(item->values[next], filter)) return 0;
        ++next;
    }
    return 1;
}

// ---------------------------------------------------------------- finding

int Kcbl::FindItem(const char* name, const char* f1, const char* f2, const char* f3) {
    Trace("FindItem", TRACE_FIND_ITEM);
    if (!name) return 0;
    LList& list = currentList->list;
    if (!list.IsValid() && !searchWrap) return 0;
    if (!list.IsValid() || list.Index() == 0) {
        list.First();
        if (!list.Next()) return 0;
    }
    const int32_t start = list.Index();
    bool wrapped = false;
    for (;;) {
        if (Matches(CurrentItem(), name, f1, f2, f3)) return 1;
        if (!list.Next()) {
            if (!searchWrap || wrapped) return 0;
            wrapped = true;
            list.First();
            if (!list.Next()) return 0;
        }
        if (wrapped && list.Index() == start) return 0;
    }
}

int Kcbl::FindChunk(const char* chunkName, const char* f2, const char* f3) {
    return FindItem("{", chunkName, f2, f3);
}

int Kcbl::FindRawData(const char* f1, const char* f2, const char* f3) {
    return FindItem("[", f1, f2, f3);
}

// ---------------------------------------------------------------- reading values

int Kcbl::GetBool(int index, uint8_t* value) {
    const char* v = GetValue(index);
    return v && value && ConvertBool(v, value);
}

int Kcbl::GetLong(int index, int32_t* value) {
    const char* v = GetValue(index);
    return v && value && ConvertLong(v, value);
}

int Kcbl::GetULong(int index, uint32_t* value) {
    const char* v = GetValue(index);
    return v && value && ConvertULong(v, value);
}

int Kcbl::GetFloat(int index, float* value) {
    const char* v = GetValue(index);
    return v && value && ConvertFloat(v, value);
}

int Kcbl::GetDouble(int index, double* value) {
    const char* v = GetValue(index);
    return v && value && ConvertDouble(v, value);
}

int Kcbl::GetBoolArray(int index, uint8_t* values, int n, int* missing) {
    return ReadArray(GetValue(index), values, n, missing, ConvertBool);
}

int Kcbl::GetLongArray(int index, int32_t* values, int n, int* missing) {
    return ReadArray(GetValue(index), values, n, missing, ConvertLong);
}

int Kcbl::GetULongArray(int index, uint32_t* values, int n, int* missing) {
    return ReadArray(GetValue(index), values, n, missing, ConvertULong);
}

int Kcbl::GetFloatArray(int index, float* values, int n, int* missing) {
    return ReadArray(GetValue(index), values, n, missing, ConvertFloat);
}

int Kcbl::GetDoubleArray(int index, double* values, int n, int* missing) {
    return ReadArray(GetValue(index), values, n, missing, ConvertDouble);
}

int Kcbl::ArrayLength(int index, int* count) {
    const char* v = GetValue(index);
    if (!v || static_cast<unsigned char>(v[0]) != KCBL_ARRAY_START) return 0;
    int elements = 0;
    const char* p = v + 1;
    while (static_cast<unsigned char>(*p) != KCBL_ARRAY_END &&
           static_cast<unsigned char>(*p) != KCBL_ITEM_END) {
        ++elements;
        p += std::strlen(p) + 1;
    }
    if (count) *count = elements;
    return 1;
}

int Kcbl::GetValues(const char* keyword, ...) {
    va_list args;
    va_start(args, keyword);
    int ok = GetValuesV(keyword, &args);
    va_end(args);
    return ok;
}

int Kcbl::GetValuesV(const char* keyword, va_list* args) {
    if (keyword && !FindItem(keyword)) return 0;
    KcblItem* item = CurrentItem();
    if (!item) return 0;
    for (int i = 0;; ++i) {
        int tag = va_arg(*args, int);
        if (tag == KEND) return 1;
        int ok = 0;
        switch (tag) {
            case KBOOL: ok = GetBool(i, va_arg(*args, uint8_t*)); break;
            case KLONG: ok = GetLong(i, va_arg(*args, int32_t*)); break;
            case KULONG: ok = GetULong(i, va_arg(*args, uint32_t*)); break;
            case KFLOAT: ok = GetFloat(i, va_arg(*args, float*)); break;
            case KDOUBLE: ok = GetDouble(i, va_arg(*args, double*)); break;
            case KSTRING: {
                int size = va_arg(*args, int);
                char* buffer = va_arg(*args, char*);
                const char* v = GetValue(i);
                ok = v && size >= 0 && size <= kMaxRequestCount;
                // Copied only with its terminator; a value too long leaves the buffer
                // as it was.
                if (ok && buffer && std::strlen(v) < size_t(size)) std::memcpy(buffer, v, std::strlen(v) + 1);
                break;
            }
            case KBOOLARRAY:
            case KLONGARRAY:
            case KULONGARRAY:
            case KFLOATARRAY:
            case KDOUBLEARRAY: {
                int n = va_arg(*args, int);
                void* out = va_arg(*args, void*);
                if (n < 0 || n > kMaxRequestCount) return 0;
                if (tag == KBOOLARRAY) ok = GetBoolArray(i, static_cast<uint8_t*>(out), n);
                if (tag == KLONGARRAY) ok = GetLongArray(i, static_cast<int32_t*>(out), n);
                if (tag == KULONGARRAY) ok = GetULongArray(i, static_cast<uint32_t*>(out), n);
                if (tag == KFLOATARRAY) ok = GetFloatArray(i, static_cast<float*>(out), n);
                if (tag == KDOUBLEARRAY) ok = GetDoubleArray(i, static_cast<double*>(out), n);
                break;
            }
            default: return SetErrorText(kUnknownType, item->name);
        }
        if (!ok) return 0;
    }
}

// The text of the values, laid out by the tags; run once to count and once to store.
static void EmitValues(ItemSink& s, const char* keyword, int firstTag, va_list* source,
                       const char* floatFormat, const char* doubleFormat) {
    va_list args;
    va_copy(args, *source);
    char number[kNumberSize];
    s.Text(keyword);
    for (int tag = firstTag; tag != KEND; tag = va_arg(args, int)) {
        s.Put(0);
        s.BeginValue();
        switch (tag) {
            case KBOOL: s.Text((va_arg(args, int) & 0xFF) ? "TRUE" : "FALSE"); break;
            case KLONG:
                std::snprintf(number, sizeof number, "%ld", long(va_arg(args, int32_t)));
                s.Text(number);
                break;
            case KULONG:
                std::snprintf(number, sizeof number, "%lu", (unsigned long)(va_arg(args, uint32_t)));
                s.Text(number);
                break;
            case KFLOAT: {
                double value = va_arg(args, double);
                if (!(value < 0) && !(value > 0)) {
                    s.Text("0");  // zero and not-a-number alike
                } else {
                    FormatNumber(number, floatFormat, value);
                    TrimFraction(number);
                    s.Text(number);
                }
                break;
            }
            case KDOUBLE:
                FormatNumber(number, doubleFormat, va_arg(args, double));
                s.Text(number);
                break;
            case KSTRING: s.Text(va_arg(args, const char*)); break;
            default: {
                int n = va_arg(args, int);
                const void* data = va_arg(args, const void*);
                s.Put(KCBL_ARRAY_START);
                for (int i = 0; i < n; ++i) {
                    if (tag == KBOOLARRAY)
                        s.Text(static_cast<const uint8_t*>(data)[i] ? "TRUE" : "FALSE");
                    else if (tag == KLONGARRAY)
                        std::snprintf(number, sizeof number, "%ld", long(static_cast<const int32_t*>(data)[i]));
                    else if (tag == KULONGARRAY)
                        std::snprintf(number, sizeof number, "%lu",
                                      (unsigned long)(static_cast<const uint32_t*>(data)[i]));
                    else if (tag == KFLOATARRAY)
                        FormatNumber(number, floatFormat, double(static_cast<const float*>(data)[i]));
                    else
                        FormatNumber(number, doubleFormat, static_cast<const double*>(data)[i]);
                    if (tag != KBOOLARRAY) s.Text(number);
                    s.Put(0);
                }
                s.Put(KCBL_ARRAY_END);
                break;
            }
        }
    }
    s.Put(0);
    s.Put(KCBL_ITEM_END);
    va_end(args);
}

// ---------------------------------------------------------------- making items

int Kcbl::CreateItem(const char* keyword, int firstTag, va_list* args) {
    Trace("CreateNewItem", TRACE_CREATE);
    if (!keyword) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
    if (!initialised && !Init()) return 0;

    // The whole list is checked before anything is built.
    {
        va_list check;
        va_copy(check, *args);
        int ok = 1;
        for (int tag = firstTag; tag != KEND && ok; tag = va_arg(check, int)) {
            switch (tag) {
                case KBOOL:
                case KLONG:
                case KULONG: (void)va_arg(check, int); break;
                case KFLOAT:
                case KDOUBLE: (void)va_arg(check, double); break;
                case KSTRING:
                    if (!va_arg(check, const char*)) ok = SetErrorText(kNullString, keyword);
                    break;
                case KBOOLARRAY:
                case KLONGARRAY:
                case KULONGARRAY:
                case KFLOATARRAY:
                case KDOUBLEARRAY: {
                    int n = va_arg(check, int);
                    if (!va_arg(check, const void*) && n > 0) ok = SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
                    break;
                }
                default: ok = SetErrorText(kUnknownType, keyword); break;
            }
        }
        va_end(check);
        if (!ok) return 0;
    }

    ItemSink measure;
    EmitValues(measure, keyword, firstTag, args, floatFormat, doubleFormat);
    ItemSink store;
    KcblItem* item = AllocateItem(measure, &store);
    if (!item) return 0;
    EmitValues(store, keyword, firstTag, args, floatFormat, doubleFormat);

    LList& list = currentList->list;
    if (!list.IsValid()) list.Last();
    if (!list.InsertAfter(item)) {
        xFree(item);
        return SetError(ERR_OUT_OF_MEMORY, __FILE__, __LINE__);
    }
    if (std::strcmp(keyword, "{") == 0) {
        KcblList* sub = NewList(currentList);
        if (!sub) return 0;
        item->sub = sub;
        if (!AddSentinel(sub)) return 0;
        currentList = sub;
    }
    Trace("CreateNewItem exit", TRACE_CREATE_EXIT);
    return 1;
}

int Kcbl::CreateNewItem(const char* keyword, ...) {
    va_list args;
    va_start(args, keyword);
    int first = va_arg(args, int);
    int ok;
    if (first == KARGS) {
        va_list* forwarded = va_arg(args, va_list*);
        first = va_arg(*forwarded, int);
        ok = CreateItem(keyword, first, forwarded);
    } else {
        ok = CreateItem(keyword, first, &args);
    }
    va_end(args);
    return ok;
}

int Kcbl::NewItem(const char* keyword, ...) {
    Trace("NewItem", TRACE_NEW_ITEM);
    va_list args;
    va_start(args, keyword);
    int ok = CreateItem(keyword, va_arg(args, int), &args);
    va_end(args);
    return ok;
}

int Kcbl::NewChunk(int firstTag, ...) {
    va_list args;
    va_start(args, firstTag);
    int ok = CreateItem("{", firstTag, &args);
    va_end(args);
    return ok;
}

int Kcbl::KillItem() {
    Trace("Kill item", TRACE_KILL);
    KcblItem* item = CurrentItem();
    if (!item) return 0;
    if (!item->sub && SameText(item->name, KCBL_SENTINEL)) return 0;
    LList& list = currentList->list;
    const int32_t index = list.Index();
    const bool hadNext = index < list.Count() - 1;
    list.Remove(1);  // leaves the cursor on the next item, or on the previous at the tail
    if (hadNext) list.Prev();
    FreeItem(item);
    if (maxLineLength != KCBL_NO_LINE_LIMIT)
        LogRaw("Maxlinelength = %ld at %ld\n", long(maxLineLength), long(TRACE_KILL_END));
    return 1;
}

int Kcbl::ReplaceItem(const char* keyword, ...) {
    char name[kMaxReplaceName + 1];
    if (keyword) {
        if (!FindItem(keyword)) return 0;
    } else {
        const char* current = ItemName();
        if (!current) return 0;
        if (std::strlen(current) > kMaxReplaceName) return SetError(ERR_BAD_ARGUMENTS, __FILE__, __LINE__);
        std::memcpy(name, current, std::strlen(current) + 1);
    }
    if (!KillItem()) return 0;
    va_list args;
    va_start(args, keyword);
    int ok = CreateItem(keyword ? keyword : name, va_arg(args, int), &args);
    va_end(args);
    return ok;
}
