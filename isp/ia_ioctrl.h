// Control interface of the ISP algorithm library: one entry point, five
// options and two records. The camera's library and isp/sim both satisfy it.
//
// Call protocol: ia_ioctrl_v2(channel, command, option, data)
//   - channel is 0-based; command is a command id (for ordinary parameters
//     the ISP-command column of the key-command table);
//   - data is owned by the caller and must be large enough for the command:
//     one int32 for plain values, a record below for the range and list
//     queries, or a command's own record or text (ia_cmd_payload_bytes
//     below). Records are zeroed by the caller before a query;
//   - 0 means success; callers must not read meaning into other values.
#ifndef ISP_IA_IOCTRL_H
#define ISP_IA_IOCTRL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum ia_cmd_e {
    IA_CMD_DAY_NIGHT_STATE = 153,
    IA_CMD_EXPOSURE_STRATEGY = 225,
    IA_CMD_IR_LED_INFO = 178,
    IA_CMD_HEAT_STATUS = 1606,
    IA_CMD_TEMPERATURE = 1607,
    IA_CMD_PTZ_RUN_STATE = 1632,
    IA_CMD_AF_STATISTIC = 1648,
    IA_CMD_CAMERA_VERSION = 2496,
    IA_CMD_SENSOR_CHECK = 2816,
    IA_CMD_DYNAMIC_PARAMS_CMDS_GET = 4112,
    IA_CMD_UI_SHUTTER_RESET = 8231,
    IA_CMD_MAX = 0xFFFFFFFFu /* keeps the type 32 bits wide */
} ia_cmd_e;

typedef enum ia_cmd_opt_e {
    IA_CMD_OPT_SET = 0,             /* data: new value */
    IA_CMD_OPT_GET = 1,             /* data: receives the value or a record */
    IA_CMD_OPT_GET_PARAM_RNAGE = 2, /* data: ia_dynamic_params_attr_st */
    IA_CMD_OPT_CORRECT_PARAM = 3,   /* data: value rewritten in place */
    IA_CMD_OPT_GET_EXEC_STATUS = 4  /* data: receives the command's status */
} ia_cmd_opt_e;

#define IA_DYNAMIC_CMDS_MAX 16
#define IA_DYNAMIC_ITEMS_MAX 64
#define IA_CAMERA_VERSION_LEN 50
#define IA_IR_LED_INFO_LEN 16

/* Commands whose value range depends on the fitted sensor. */
typedef struct ia_dynamic_cmd_list_st {
    int32_t cmd_cnt;
    int32_t cmd_list[IA_DYNAMIC_CMDS_MAX];
} ia_dynamic_cmd_list_st;

/* Range of one dynamic command. kind 0: items holds the allowed values. */
typedef struct ia_dynamic_params_attr_st {
    int32_t kind;
    int32_t default_val;
    int32_t min;
    int32_t max;
    int32_t items_cnt;
    int32_t item[IA_DYNAMIC_ITEMS_MAX];
} ia_dynamic_params_attr_st;

/* Data of IA_CMD_SENSOR_CHECK: three arguments, then the result word. */
typedef struct ia_sensor_check_st {
    int32_t arg[3];
    int32_t result;
} ia_sensor_check_st;

/* Data of the day/night threshold commands (145, 146, 154). */
typedef struct dn_thr_st {
    uint32_t d2n_thr;
    uint32_t n2d_thr;
    uint32_t dn_sensitivity;
} dn_thr_st;

/* Data of the day/night time commands (149 to 152). */
typedef struct dn_time_st {
    uint32_t d2n_hour;
    uint32_t d2n_min;
    uint32_t n2d_hour;
    uint32_t n2d_min;
} dn_time_st;

int ia_ioctrl_v2(int channel, ia_cmd_e cmd, uint32_t opt, void* data);

#ifdef __cplusplus
}

static_assert(sizeof(ia_cmd_e) == 4, "command ids are 32-bit");
static_assert(sizeof(ia_dynamic_cmd_list_st) == 68, "dynamic command list layout");
static_assert(sizeof(ia_dynamic_params_attr_st) == 276, "range record layout");
static_assert(sizeof(dn_thr_st) == 12, "day/night threshold record layout");
static_assert(sizeof(dn_time_st) == 16, "day/night time record layout");
static_assert(sizeof(ia_sensor_check_st) == 16, "sensor check record layout");

// Data of each command that carries more than one int32, in bytes, by the
// set and get options (the range query always takes ia_dynamic_params_attr_st).
// A caller holding a single value for such a command hands the ISP a zeroed
// buffer of this size; the value is its first int32.
struct ia_cmd_payload_st {
    uint32_t cmd;
    uint32_t bytes;
};
constexpr ia_cmd_payload_st ia_cmd_payloads[] = {
    {145, sizeof(dn_thr_st)},  {146, sizeof(dn_thr_st)},  {154, sizeof(dn_thr_st)},
    {149, sizeof(dn_time_st)}, {150, sizeof(dn_time_st)}, {151, sizeof(dn_time_st)},
    {152, sizeof(dn_time_st)}, {IA_CMD_IR_LED_INFO, IA_IR_LED_INFO_LEN},
    {IA_CMD_CAMERA_VERSION, IA_CAMERA_VERSION_LEN}, {IA_CMD_SENSOR_CHECK, sizeof(ia_sensor_check_st)},
    {IA_CMD_DYNAMIC_PARAMS_CMDS_GET, sizeof(ia_dynamic_cmd_list_st)},
};

// C++11 constexpr functions are one return statement: the walks recurse.
constexpr uint32_t ia_cmd_payload_bytes_from(uint32_t cmd, unsigned index)
{
    return index == sizeof(ia_cmd_payloads) / sizeof(ia_cmd_payloads[0]) ? sizeof(int32_t)
        : ia_cmd_payloads[index].cmd == cmd ? ia_cmd_payloads[index].bytes
        : ia_cmd_payload_bytes_from(cmd, index + 1);
}

constexpr uint32_t ia_cmd_payload_bytes(uint32_t cmd)
{
    return ia_cmd_payload_bytes_from(cmd, 0);
}

constexpr uint32_t ia_cmd_payload_max_from(unsigned index, uint32_t most)
{
    return index == sizeof(ia_cmd_payloads) / sizeof(ia_cmd_payloads[0]) ? most
        : ia_cmd_payload_max_from(index + 1, ia_cmd_payloads[index].bytes > most ? ia_cmd_payloads[index].bytes : most);
}

constexpr uint32_t ia_cmd_payload_max()
{
    return ia_cmd_payload_max_from(0, sizeof(int32_t));
}
#endif

#endif
