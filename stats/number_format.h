// Counts and percents as the program shows them: every number in the
// legend, the readout, the Areas list and the tables is printed here, so
// the same number reads the same everywhere.
#pragma once

#include <stddef.h>
#include <stdint.h>

// 1320 as "1,320".
void format_count(int32_t n, char *text, size_t size);
// Every percent is a single-precision value.
// A part's share of its whole in percent, part * 100 / whole in single
// precision, as the Info log has it; 0 when whole is 0.
float share_percent(int32_t part, int32_t whole);
// That share with two decimals ("4.67"); "0.00" when whole is 0.
void format_percent(int32_t part, int32_t whole, char *text, size_t size);
// A percent, or another figure shown, with 0 to 4 decimals ("61.6"); with
// `sign`, a difference in percentage points or a z ("+12.3", "-4.0", "0.0").
void format_percent_value(float percent, int decimals, int sign, char *text, size_t size);
// A p-value with four significant digits, as printf's "%.4g" writes it
// ("0.04022", "1", "7.407e-15"): every table's.
void format_p_value(double p, char *text, size_t size);
// A p-value as a panel shows it: three decimals ("0.523"), "< 0.001" below.
void format_p_shown(double p, char *text, size_t size);
// -1, 0 or 1 as a is below, equal to or above b: a column of numbers sorts by it.
int compare_numbers(double a, double b);
