#include "stats/number_format.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

void format_count(int32_t n, char *text, size_t size)
{
    char digits[16];
    snprintf(digits, sizeof digits, "%lld", n < 0 ? -(long long)n : (long long)n);
    char grouped[32];
    size_t used = 0;
    if (n < 0)
        grouped[used++] = '-';
    size_t length = strlen(digits);
    for (size_t i = 0; i < length; i++) {
        if (i > 0 && (length - i) % 3 == 0)
            grouped[used++] = ',';
        grouped[used++] = digits[i];
    }
    grouped[used] = '\0';
    snprintf(text, size, "%s", grouped);
}

float share_percent(int32_t part, int32_t whole)
{
    return whole != 0 ? (float)part * 100.0f / (float)whole : 0.0f;
}

void format_percent(int32_t part, int32_t whole, char *text, size_t size)
{
    format_percent_value(share_percent(part, whole), 2, 0, text, size);
}

void format_percent_value(float percent, int decimals, int sign, char *text, size_t size)
{
    // C libraries round exact ties differently (3.125 prints as 3.12 with
    // one, 3.13 with another).  A float times 10^4 is exact in a double,
    // so rounding that half to even, as a correctly rounding printf does,
    // gives the same digits on every platform.
    static const long long scales[] = {1, 10, 100, 1000, 10000};
    if (decimals < 0)
        decimals = 0;
    if (decimals > 4)
        decimals = 4;
    long long scale = scales[decimals];
    double magnitude = fabs((double)percent);
    if (!(magnitude < 1e12))
        magnitude = 0.0;  // no percent is this large; never print garbage
    long long units = (long long)nearbyint(magnitude * (double)scale);
    // The digits by hand, last first: tables print this tens of thousands
    // of times.
    int zero = units == 0;
    char digits[40];
    char *at = digits + sizeof digits;
    for (int place = 0; place < decimals; place++) {
        *--at = (char)('0' + units % 10);
        units /= 10;
    }
    if (decimals > 0)
        *--at = '.';
    do {
        *--at = (char)('0' + units % 10);
        units /= 10;
    } while (units > 0);
    if (!zero && percent < 0.0f)
        *--at = '-';
    else if (!zero && sign)
        *--at = '+';
    if (size == 0)
        return;
    size_t length = (size_t)(digits + sizeof digits - at);
    if (length >= size)
        length = size - 1;
    memcpy(text, at, length);
    text[length] = '\0';
}

void format_p_value(double p, char *text, size_t size)
{
    // Tables print two a line: from 0.0001 up, the common case, the digits
    // are made by hand as for a percent, printf only below.
    if (!(p >= 0.0001) || p > 1.0) {
        snprintf(text, size, "%.4g", p);
        return;
    }
    int decimals = p >= 0.1 ? 4 : p >= 0.01 ? 5 : p >= 0.001 ? 6 : 7;
    static const double scales[] = {1e3, 1e4, 1e5, 1e6, 1e7};
    long long units = (long long)nearbyint(p * scales[decimals - 3]);
    // Rounded up to the next power of ten, it has a decimal fewer.
    if (units == 10000) {
        units = 1000;
        decimals--;
    }
    while (decimals > 0 && units % 10 == 0) {
        units /= 10;
        decimals--;
    }
    char digits[24];
    char *at = digits + sizeof digits;
    *--at = '\0';
    for (int place = 0; place < decimals; place++) {
        *--at = (char)('0' + units % 10);
        units /= 10;
    }
    if (decimals > 0)
        *--at = '.';
    *--at = (char)('0' + units);
    size_t length = (size_t)(digits + sizeof digits - 1 - at);
    if (size == 0)
        return;
    if (length >= size)
        length = size - 1;
    memcpy(text, at, length);
    text[length] = '\0';
}

void format_p_shown(double p, char *text, size_t size)
{
    if (p < 0.001)
        snprintf(text, size, "%s", "< 0.001");
    else
        format_percent_value((float)p, 3, 0, text, size);
}

int compare_numbers(double a, double b)
{
    return (a > b) - (a < b);
}
