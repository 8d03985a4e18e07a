// Lua's string patterns (find, match, gmatch, gsub) with the same meaning as the string
// library's, but every matching step is paid for from the call's instruction budget. The
// library's own matcher backtracks without bound inside one C call, where no count hook
// can stop it: string.find(("a"):rep(5000), ("a-"):rep(20) .. "b") would never return.
#include <cctype>
#include <cstring>

#include "scripts/lua_sandbox.h"

namespace tarvex {

namespace {

constexpr int kMaxDepth = 200;       // nested matching calls, as the library allows
constexpr int kMaxCaptures = 32;     // LUA_MAXCAPTURES
constexpr int64_t kChargeEvery = 1024;
constexpr char kEscape = '%';
constexpr const char* kSpecials = "^$*+?.([%-";
constexpr ptrdiff_t kUnfinished = -1;
constexpr ptrdiff_t kPosition = -2;

struct Matcher {
    const char* subject;
    const char* subjectEnd;
    const char* patternEnd;
    lua_State* L;
    int depth;
    int level;  // captures, finished or not
    int64_t steps;
    struct {
        const char* start;
        ptrdiff_t length;
    } capture[kMaxCaptures];
};

void Step(Matcher& m) {
    if (++m.steps >= kChargeEvery) {
        const int64_t steps = m.steps;
        m.steps = 0;
        ChargeSandbox(m.L, steps);
    }
}

void PayRest(Matcher& m) {
    const int64_t steps = m.steps;
    m.steps = 0;
    if (steps) ChargeSandbox(m.L, steps);
}

int CheckCapture(Matcher& m, int l) {
    l -= '1';
    if (l < 0 || l >= m.level || m.capture[l].length == kUnfinished)
        return luaL_error(m.L, "invalid capture index %%%d", l + 1);
    return l;
}

int CaptureToClose(Matcher& m) {
    for (int level = m.level - 1; level >= 0; --level)
        if (m.capture[level].length == kUnfinished) return level;
    return luaL_error(m.L, "invalid pattern capture");
}

const char* ClassEnd(Matcher& m, const char* p) {
    switch (*p++) {
    case kEscape:
        if (p == m.patternEnd) luaL_error(m.L, "malformed pattern (ends with '%%')");
        return p + 1;
    case '[':
        if (*p == '^') p++;
        do {  // up to the closing ']'
            if (p == m.patternEnd) luaL_error(m.L, "malformed pattern (missing ']')");
            if (*(p++) == kEscape && p < m.patternEnd) p++;  // an escape such as '%]'
        } while (*p != ']');
        return p + 1;
    default: return p;
    }
}

bool MatchClass(int c, int cl) {
    bool result;
    switch (std::tolower(cl)) {
    case 'a': result = std::isalpha(c); break;
    case 'c': result = std::iscntrl(c); break;
    case 'd': result = std::isdigit(c); break;
    case 'g': result = std::isgraph(c); break;
    case 'l': result = std::islower(c); break;
    case 'p': result = std::ispunct(c); break;
    case 's': result = std::isspace(c); break;
    case 'u': result = std::isupper(c); break;
    case 'w': result = std::isalnum(c); break;
    case 'x': result = std::isxdigit(c); break;
    case 'z': result = c == 0; break;  // deprecated, but Lua still knows it
    default: return cl == c;
    }
    return std::isupper(cl) ? !result : result;
}

// A set "[...]" from p (its '[') to end (its ']').
bool MatchBracketClass(int c, const char* p, const char* end) {
    bool sign = true;
    if (*(p + 1) == '^') {
        sign = false;
        p++;
    }
    while (++p < end) {
        if (*p == kEscape) {
            p++;
            if (MatchClass(c, static_cast<unsigned char>(*p))) return sign;
        } else if (*(p + 1) == '-' && p + 2 < end) {
            p += 2;
            if (static_cast<unsigned char>(*(p - 2)) <= c && c <= static_cast<unsigned char>(*p)) return sign;
        } else if (static_cast<unsigned char>(*p) == c) {
            return sign;
        }
    }
    return !sign;
}

bool SingleMatch(Matcher& m, const char* s, const char* p, const char* ep) {
    if (s >= m.subjectEnd) return false;
    const int c = static_cast<unsigned char>(*s);
    switch (*p) {
    case '.': return true;
    case kEscape: return MatchClass(c, static_cast<unsigned char>(*(p + 1)));
    case '[': return MatchBracketClass(c, p, ep - 1);
    default: return static_cast<unsigned char>(*p) == c;
    }
}

const char* Match(Matcher& m, const char* s, const char* p);

const char* MatchBalance(Matcher& m, const char* s, const char* p) {
    if (p >= m.patternEnd - 1) luaL_error(m.L, "malformed pattern (missing arguments to '%%b')");
    if (s >= m.subjectEnd || *s != *p) return nullptr;
    const char open = *p, close = *(p + 1);
    int count = 1;
    while (++s < m.subjectEnd) {
        Step(m);
        if (*s == close) {
            if (--count == 0) return s + 1;
        } else if (*s == open) {
            count++;
        }
    }
    return nullptr;
}

const char* MaxExpand(Matcher& m, const char* s, const char* p, const char* ep) {
    ptrdiff_t i = 0;
    while (SingleMatch(m, s + i, p, ep)) {
        Step(m);
        i++;
    }
    // The longest run first, one repetition less at a time.
    for (; i >= 0; --i) {
        if (const char* result = Match(m, s + i, ep + 1)) return result;
    }
    return nullptr;
}

const char* MinExpand(Matcher& m, const char* s, const char* p, const char* ep) {
    for (;;) {
        if (const char* result = Match(m, s, ep + 1)) return result;
        if (!SingleMatch(m, s, p, ep)) return nullptr;
        s++;
    }
}

const char* StartCapture(Matcher& m, const char* s, const char* p, ptrdiff_t what) {
    if (m.level >= kMaxCaptures) luaL_error(m.L, "too many captures");
    m.capture[m.level].start = s;
    m.capture[m.level].length = what;
    m.level++;
    const char* result = Match(m, s, p);
    if (!result) m.level--;
    return result;
}

const char* EndCapture(Matcher& m, const char* s, const char* p) {
    const int l = CaptureToClose(m);
    m.capture[l].length = s - m.capture[l].start;
    const char* result = Match(m, s, p);
    if (!result) m.capture[l].length = kUnfinished;
    return result;
}

const char* MatchCapture(Matcher& m, const char* s, int l) {
    l = CheckCapture(m, l);
    const size_t length = static_cast<size_t>(m.capture[l].length);
    if (static_cast<size_t>(m.subjectEnd - s) >= length && std::memcmp(m.capture[l].start, s, length) == 0)
        return s + length;
    return nullptr;
}

// One pattern item (a character class with its optional repetition suffix) at s. Gives
// true when the match goes on with the pattern at p and the subject at s, false when s
// holds the result (nothing when it failed).
bool MatchItem(Matcher& m, const char*& s, const char*& p) {
    const char* ep = ClassEnd(m, p);  // the optional suffix
    if (!SingleMatch(m, s, p, ep)) {
        if (*ep == '*' || *ep == '?' || *ep == '-') {  // may match nothing
            p = ep + 1;
            return true;
        }
        s = nullptr;
        return false;
    }
    switch (*ep) {
    case '?':
        if (const char* result = Match(m, s + 1, ep + 1)) {
            s = result;
            return false;
        }
        p = ep + 1;
        return true;
    case '+': s = MaxExpand(m, s + 1, p, ep); return false;
    case '*': s = MaxExpand(m, s, p, ep); return false;
    case '-': s = MinExpand(m, s, p, ep); return false;
    default:
        s++;
        p = ep;
        return true;
    }
}

// The frontier "%f[set]": a place where the character before is not in the set and the
// one after is. Gives true (and steps over it) where the match goes on.
bool MatchFrontier(Matcher& m, const char*& s, const char*& p) {
    p += 2;
    if (*p != '[') luaL_error(m.L, "missing '[' after '%%f' in pattern");
    const char* ep = ClassEnd(m, p);
    const char previous = s == m.subject ? '\0' : *(s - 1);
    const char current = s < m.subjectEnd ? *s : '\0';
    if (!MatchBracketClass(static_cast<unsigned char>(previous), p, ep - 1) &&
        MatchBracketClass(static_cast<unsigned char>(current), p, ep - 1)) {
        p = ep;
        return true;
    }
    s = nullptr;
    return false;
}

// An item that starts with '%': a balance, a frontier, a back reference or an escaped class.
bool MatchEscaped(Matcher& m, const char*& s, const char*& p) {
    switch (*(p + 1)) {
    case 'b':
        s = MatchBalance(m, s, p + 2);
        if (!s) return false;
        p += 4;
        return true;
    case 'f': return MatchFrontier(m, s, p);
    case '0': case '1': case '2': case '3': case '4':
    case '5': case '6': case '7': case '8': case '9':
        s = MatchCapture(m, s, static_cast<unsigned char>(*(p + 1)));
        if (!s) return false;
        p += 2;
        return true;
    default: return MatchItem(m, s, p);
    }
}

const char* Match(Matcher& m, const char* s, const char* p) {
    if (m.depth-- <= 0) luaL_error(m.L, "pattern too complex");
    for (;;) {
        Step(m);
        if (p == m.patternEnd) break;
        bool tail = false;  // continue with the pattern at p and the subject at s
        switch (*p) {
        case '(':
            if (*(p + 1) == ')')
                s = StartCapture(m, s, p + 2, kPosition);
            else
                s = StartCapture(m, s, p + 1, kUnfinished);
            break;
        case ')': s = EndCapture(m, s, p + 1); break;
        case '$':
            if (p + 1 != m.patternEnd) {  // a '$' inside the pattern is itself
                tail = MatchItem(m, s, p);
                break;
            }
            s = s == m.subjectEnd ? s : nullptr;
            break;
        case kEscape: tail = MatchEscaped(m, s, p); break;
        default: tail = MatchItem(m, s, p);
        }
        if (!tail) break;
    }
    m.depth++;
    return s;
}

void Prepare(Matcher& m, lua_State* L, const char* s, size_t ls, const char* p, size_t lp) {
    m.L = L;
    m.depth = kMaxDepth;
    m.subject = s;
    m.subjectEnd = s + ls;
    m.patternEnd = p + lp;
    m.level = 0;
    m.steps = 0;
}

// Before each attempt at a match: no captures, the whole depth. An attempt that failed
// with an error ("pattern too complex") left the depth wherever it stopped.
void Restart(Matcher& m) {
    m.level = 0;
    m.depth = kMaxDepth;
}

// Capture i as a string, or its position (pushed already) when it is a position capture.
ptrdiff_t GetCapture(Matcher& m, int i, const char* s, const char* e, const char** capture) {
    if (i >= m.level) {
        if (i != 0) luaL_error(m.L, "invalid capture index %%%d", i + 1);
        *capture = s;
        return e - s;
    }
    const ptrdiff_t length = m.capture[i].length;
    *capture = m.capture[i].start;
    if (length == kUnfinished)
        luaL_error(m.L, "unfinished capture");
    else if (length == kPosition)
        lua_pushinteger(m.L, (m.capture[i].start - m.subject) + 1);
    return length;
}

void PushCapture(Matcher& m, int i, const char* s, const char* e) {
    const char* capture = nullptr;
    const ptrdiff_t length = GetCapture(m, i, s, e, &capture);
    if (length != kPosition) lua_pushlstring(m.L, capture, static_cast<size_t>(length));
}

int PushCaptures(Matcher& m, const char* s, const char* e) {
    const int count = (m.level == 0 && s) ? 1 : m.level;
    luaL_checkstack(m.L, count, "too many captures");
    for (int i = 0; i < count; i++) PushCapture(m, i, s, e);
    return count;
}

bool NoSpecials(const char* p, size_t lp) {
    size_t upto = 0;
    do {
        if (std::strpbrk(p + upto, kSpecials)) return false;
        upto += std::strlen(p + upto) + 1;  // there may be more after a '\0'
    } while (upto <= lp);
    return true;
}

// A start position from 1 (negative: from the end) as an offset; may lie past the end.
size_t StartOffset(lua_Integer position, size_t length) {
    if (position > 0) return static_cast<size_t>(position) - 1;
    if (position == 0 || position < -static_cast<lua_Integer>(length)) return 0;
    return length + static_cast<size_t>(position);
}

int FindOrMatch(lua_State* L, bool find) {
    size_t ls = 0, lp = 0;
    const char* s = luaL_checklstring(L, 1, &ls);
    const char* p = luaL_checklstring(L, 2, &lp);
    const size_t init = StartOffset(luaL_optinteger(L, 3, 1), ls);
    if (init > ls) {
        luaL_pushfail(L);
        return 1;
    }
    if (find && (lua_toboolean(L, 4) || NoSpecials(p, lp))) {
        // A plain search: glibc's memmem is linear in the subject, paid for as read.
        ChargeSandboxBytes(L, ls - init);
        const void* at = lp == 0 ? s + init : memmem(s + init, ls - init, p, lp);
        if (at) {
            const char* found = static_cast<const char*>(at);
            lua_pushinteger(L, (found - s) + 1);
            lua_pushinteger(L, static_cast<lua_Integer>((found - s) + lp));
            return 2;
        }
        luaL_pushfail(L);
        return 1;
    }
    Matcher m;
    const char* s1 = s + init;
    const bool anchor = *p == '^';
    if (anchor) {
        p++;
        lp--;
    }
    Prepare(m, L, s, ls, p, lp);
    do {
        Restart(m);
        if (const char* end = Match(m, s1, p)) {
            PayRest(m);
            if (find) {
                lua_pushinteger(L, (s1 - s) + 1);
                lua_pushinteger(L, end - s);
                return PushCaptures(m, nullptr, nullptr) + 2;
            }
            return PushCaptures(m, s1, end);
        }
    } while (s1++ < m.subjectEnd && !anchor);
    PayRest(m);
    luaL_pushfail(L);
    return 1;
}

int Find(lua_State* L) { return FindOrMatch(L, true); }
int MatchFunction(lua_State* L) { return FindOrMatch(L, false); }

struct GmatchState {
    const char* source;
    const char* pattern;
    const char* lastMatch;
    Matcher m;
};

int GmatchNext(lua_State* L) {
    GmatchState* g = static_cast<GmatchState*>(lua_touserdata(L, lua_upvalueindex(3)));
    g->m.L = L;
    g->m.steps = 0;  // a call that failed left its unpaid steps
    for (const char* src = g->source; src <= g->m.subjectEnd; src++) {
        Restart(g->m);
        const char* end = Match(g->m, src, g->pattern);
        if (end && end != g->lastMatch) {
            PayRest(g->m);
            g->source = g->lastMatch = end;
            return PushCaptures(g->m, src, end);
        }
    }
    PayRest(g->m);
    return 0;
}

int Gmatch(lua_State* L) {
    size_t ls = 0, lp = 0;
    const char* s = luaL_checklstring(L, 1, &ls);
    const char* p = luaL_checklstring(L, 2, &lp);
    size_t init = StartOffset(luaL_optinteger(L, 3, 1), ls);
    lua_settop(L, 2);  // the closure keeps both strings alive
    GmatchState* g = static_cast<GmatchState*>(lua_newuserdatauv(L, sizeof(GmatchState), 0));
    if (init > ls) init = ls + 1;
    Prepare(g->m, L, s, ls, p, lp);
    g->source = s + init;
    g->pattern = p;
    g->lastMatch = nullptr;
    lua_pushcclosure(L, GmatchNext, 3);
    return 1;
}

void AddString(Matcher& m, luaL_Buffer& b, const char* s, const char* e) {
    size_t length = 0;
    lua_State* L = m.L;
    const char* text = lua_tolstring(L, 3, &length);
    const char* p;
    while ((p = static_cast<const char*>(std::memchr(text, kEscape, length))) != nullptr) {
        luaL_addlstring(&b, text, static_cast<size_t>(p - text));
        p++;  // past the escape
        if (*p == kEscape) {
            luaL_addchar(&b, *p);
        } else if (*p == '0') {
            luaL_addlstring(&b, s, static_cast<size_t>(e - s));
        } else if (std::isdigit(static_cast<unsigned char>(*p))) {
            const char* capture = nullptr;
            const ptrdiff_t captured = GetCapture(m, *p - '1', s, e, &capture);
            if (captured == kPosition)
                luaL_addvalue(&b);
            else
                luaL_addlstring(&b, capture, static_cast<size_t>(captured));
        } else {
            luaL_error(L, "invalid use of '%c' in replacement string", kEscape);
        }
        length -= static_cast<size_t>(p + 1 - text);
        text = p + 1;
    }
    luaL_addlstring(&b, text, length);
}

// The replacement of one match; true when it changed the text.
bool AddValue(Matcher& m, luaL_Buffer& b, const char* s, const char* e, int type) {
    lua_State* L = m.L;
    switch (type) {
    case LUA_TFUNCTION: {
        lua_pushvalue(L, 3);
        const int n = PushCaptures(m, s, e);
        lua_call(L, n, 1);
        break;
    }
    case LUA_TTABLE:
        PushCapture(m, 0, s, e);
        lua_gettable(L, 3);
        break;
    default:
        AddString(m, b, s, e);
        return true;
    }
    if (!lua_toboolean(L, -1)) {  // nil or false keeps the original text
        lua_pop(L, 1);
        luaL_addlstring(&b, s, static_cast<size_t>(e - s));
        return false;
    }
    if (!lua_isstring(L, -1)) luaL_error(L, "invalid replacement value (a %s)", luaL_typename(L, -1));
    luaL_addvalue(&b);
    return true;
}

int Gsub(lua_State* L) {
    size_t ls = 0, lp = 0;
    const char* src = luaL_checklstring(L, 1, &ls);
    const char* p = luaL_checklstring(L, 2, &lp);
    const char* lastMatch = nullptr;
    const int type = lua_type(L, 3);
    const lua_Integer maxReplacements = luaL_optinteger(L, 4, static_cast<lua_Integer>(ls) + 1);
    const bool anchor = *p == '^';
    lua_Integer n = 0;
    bool changed = false;
    luaL_argexpected(L, type == LUA_TNUMBER || type == LUA_TSTRING || type == LUA_TFUNCTION || type == LUA_TTABLE,
                     3, "string/function/table");
    luaL_Buffer b;
    luaL_buffinit(L, &b);
    if (anchor) {
        p++;
        lp--;
    }
    Matcher m;
    Prepare(m, L, src, ls, p, lp);
    while (n < maxReplacements) {
        Restart(m);
        const char* e = Match(m, src, p);
        if (e && e != lastMatch) {
            n++;
            changed = AddValue(m, b, src, e, type) || changed;
            src = lastMatch = e;
        } else if (src < m.subjectEnd) {
            luaL_addchar(&b, *src++);
        } else {
            break;
        }
        if (anchor) break;
    }
    PayRest(m);
    if (!changed) {
        lua_pushvalue(L, 1);
    } else {
        luaL_addlstring(&b, src, static_cast<size_t>(m.subjectEnd - src));
        luaL_pushresult(&b);
        ChargeSandboxBytes(L, lua_rawlen(L, -1));  // the text built
    }
    lua_pushinteger(L, n);
    return 2;
}

}  // namespace

void InstallBoundedPatterns(lua_State* L) {
    lua_pushcfunction(L, Find);
    lua_setfield(L, -2, "find");
    lua_pushcfunction(L, MatchFunction);
    lua_setfield(L, -2, "match");
    lua_pushcfunction(L, Gmatch);
    lua_setfield(L, -2, "gmatch");
    lua_pushcfunction(L, Gsub);
    lua_setfield(L, -2, "gsub");
}

}  // namespace tarvex
