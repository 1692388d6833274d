// How sure a difference is: the score test of a share against a known
// proportion, the Benjamini-Hochberg adjustment of many such tests, and
// the chi-square test of a table of counts.  The Areas panel, the bar
// colors and the breakdown by groups all decide "above", "below" or "not
// different" through these.
#pragma once

#include <stdint.h>

// The two-sided 95% quantile of the standard normal distribution.
extern const double normal_z_95;

// The score statistic of k of n against the proportion p0:
// (k/n - p0) / sqrt(p0 (1 - p0) / n).  Inverting it at |z| = normal_z_95
// gives the Wilson interval, so |z| > normal_z_95 exactly when the 95%
// interval of k of n excludes p0.  0 when n is not positive or p0 is 0 or
// 1 (every share then equals it).
double score_z(int32_t k, int32_t n, double p0);
// The two-sided p-value of a standard normal statistic: 2 (1 - Phi(|z|)).
double normal_two_sided_p(double z);

// Benjamini and Hochberg's adjusted p-values of m tests: with the p-values
// sorted ascending, adjusted(i) = min over j >= i of min(1, m p(j) / j).
// A test whose adjusted p-value is under q is a discovery at a false
// discovery rate of q.  `order` is room for m positions.  1, or 0 for m
// below 0.
int adjust_benjamini_hochberg(const double p[], int32_t m, double adjusted[], int32_t order[]);

// The upper tail of the chi-square distribution with df degrees of
// freedom at x: P(X >= x).  1 for x <= 0; 0 (no probability) for df < 1.
double chi_square_upper_p(double x, int df);
