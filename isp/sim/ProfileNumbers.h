// Strict decimal parsing for profile lines: the whole word must be a number
// that fits, so a typo is reported instead of read as 0.
#ifndef ISP_SIM_PROFILE_NUMBERS_H
#define ISP_SIM_PROFILE_NUMBERS_H

#include <cstdint>
#include <string>
#include <vector>

namespace isp_sim {

bool parseInt32(const std::string& word, int32_t& out);
bool parseCommand(const std::string& word, uint32_t& out);
// Comma-separated int32 values, none empty.
bool parseInt32List(const std::string& text, std::vector<int32_t>& out);

} // namespace isp_sim

#endif
