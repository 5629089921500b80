// Pair text "(key,value)..." in both directions, and correction of a whole
// parameter set by the ISP.
#include "SensorKeyVal.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "DynamicCommands.h"
#include "SensorReport.h"
#include "ia_ioctrl.h"
#include "IspCall.h"

static const char* const kReportModule = "SensorKeyVal";

namespace {

bool isScanBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One "%d" as the C library's scanf converts it here: blanks skipped, an
// optional sign, at least one digit. The number saturates at the 64-bit
// limits and its low 32 bits are kept. Never reads at or past end.
bool scanDecimal(const char*& p, const char* end, u32& out)
{
    const char* q = p;
    while (q < end && isScanBlank(*q)) ++q;
    bool negative = false;
    if (q < end && (*q == '+' || *q == '-')) {
        negative = *q == '-';
        ++q;
    }
    if (q >= end || !isDigit(*q)) return false;

    const unsigned long long limit =
        negative ? static_cast<unsigned long long>(LLONG_MAX) + 1ULL : static_cast<unsigned long long>(LLONG_MAX);
    unsigned long long magnitude = 0;
    for (; q < end && isDigit(*q); ++q) {
        const unsigned digit = static_cast<unsigned>(*q - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    // Unsigned arithmetic: negation modulo 2^64, then the low 32 bits.
    const unsigned long long word = negative ? 0ULL - magnitude : magnitude;
    out = static_cast<u32>(word & 0xFFFFFFFFULL);
    p = q;
    return true;
}

// Reads "(%d,%d)" from [begin, end) into key and value; like scanf, what
// converts before the first mismatch is kept.
void scanPair(const char* begin, const char* end, u32& key, u32& value)
{
    const char* p = begin;
    if (p >= end || *p != '(') return;
    ++p;
    if (!scanDecimal(p, end, key)) return;
    if (p >= end || *p != ',') return;
    ++p;
    scanDecimal(p, end, value);
}

} // namespace

void keyval_st2str(std::string& out, KeyVal* p_pKeyval, u32 p_nCount)
{
    if (p_pKeyval == nullptr) return;
    for (u32 i = 0; i < p_nCount; ++i) {
        char pair[32];
        std::snprintf(pair, sizeof pair, "(%d,%d)", static_cast<int32_t>(p_pKeyval[i].key),
                      static_cast<int32_t>(p_pKeyval[i].value));
        out += pair;
    }
}

void keyval_str2st(const std::string& text, KeyVal* out, u32* p_pnCount)
{
    keyval_str2stBounded(text, out, p_pnCount, UINT32_MAX);
}

void keyval_str2stBounded(const std::string& text, KeyVal* out, u32* p_pnCount, u32 p_nCapacity)
{
    if (p_pnCount == nullptr) return;
    *p_pnCount = 0;
    if (out == nullptr) return;

    const char* const base = text.c_str();
    const size_t size = text.size();
    u32 key = 0;
    u32 value = 0;
    size_t p = 0;
    while (p < size && *p_pnCount < p_nCapacity) {
        const size_t open = text.find('(', p);
        if (open == std::string::npos || open + 1 == size) break;
        // Searched from p, not from the "(": a ")" before it ends an empty
        // piece, which repeats the previous pair.
        const size_t close = text.find(')', p);
        if (close == std::string::npos) break;
        if (close > open) scanPair(base + open, base + close + 1, key, value);
        out[*p_pnCount] = KeyVal{key, value};
        ++*p_pnCount;
        p = close + 1;
    }
}

int keyval_correct(int p_nChannel_id, KeyVal* p_pKeyval, u32 p_nCount)
{
    if (p_pKeyval == nullptr) {
        SNS_CHECK_TEXT(false, "NULL != p_pKeyval", "");
        return -1;
    }

    const sensor::DynamicCommands query = sensor::queryDynamicCommands(p_nChannel_id);
    SNS_CHECK_TEXT(SNS_SUCCESS == query.result,
                   "SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, IA_CMD_DYNAMIC_PARAMS_CMDS_GET, IA_CMD_OPT_GET, "
                   "(void*)(&dnaCmdList))",
                   "");
    const ia_dynamic_cmd_list_st& dnaCmdList = query.list;

    for (int32_t i = 0; i < query.count; ++i) {
        const u32 cmd = static_cast<u32>(dnaCmdList.cmd_list[i]);
        u32 index = 0;
        while (index < p_nCount && p_pKeyval[index].key != cmd) ++index;
        if (index == p_nCount) {
            sensor::logLine("[sensor assert]", "cmd_list[%d]=%d\n", i, dnaCmdList.cmd_list[i]);
            continue;
        }
        KeyVal& record = p_pKeyval[index];
        SNS_DBG("before correct: (%d,%d)\n", static_cast<int32_t>(record.key), static_cast<int32_t>(record.value));
        SNS_CHECK_TEXT(SNS_SUCCESS == sensor::callIsp(p_nChannel_id, record.key, IA_CMD_OPT_CORRECT_PARAM, &record.value),
                       "SNS_SUCCESS == ia_ioctrl_v2(p_nChannel_id, (ia_cmd_e)p_pKeyval[index].key, "
                       "IA_CMD_OPT_CORRECT_PARAM, &p_pKeyval[index].value)",
                       "");
        SNS_DBG("after correct: (%d,%d)\n", static_cast<int32_t>(record.key), static_cast<int32_t>(record.value));
    }
    return SNS_SUCCESS;
}
