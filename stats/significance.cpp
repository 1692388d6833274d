#include "stats/significance.h"

#include <math.h>

#include <algorithm>

namespace {

// The regularized upper incomplete gamma function Q(a, x) = Gamma(a, x) /
// Gamma(a), for a > 0 and x > 0: by its power series where that converges
// fast (x < a + 1), otherwise by its continued fraction, evaluated with
// the modified Lentz method.  Abramowitz and Stegun 6.5.29 and 6.5.31;
// Lentz, Applied Optics 15 (1976) 668-671.
double upper_regularized_gamma(double a, double x)
{
    const double epsilon = 1e-15, tiny = 1e-300;
    double log_prefix = a * log(x) - x - lgamma(a);
    if (x < a + 1.0) {
        // P(a, x) = x^a e^-x / Gamma(a + 1) * sum x^n / ((a + 1) ... (a + n))
        double term = 1.0 / a, sum = term;
        for (int n = 1; n < 1000; n++) {
            term *= x / (a + n);
            sum += term;
            if (fabs(term) < fabs(sum) * epsilon)
                break;
        }
        return 1.0 - sum * exp(log_prefix);
    }
    double b = x + 1.0 - a, c = 1.0 / tiny, d = 1.0 / b, fraction = d;
    for (int n = 1; n < 1000; n++) {
        double an = -n * (n - a);
        b += 2.0;
        d = an * d + b;
        if (fabs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (fabs(c) < tiny)
            c = tiny;
        d = 1.0 / d;
        double step = d * c;
        fraction *= step;
        if (fabs(step - 1.0) < epsilon)
            break;
    }
    return exp(log_prefix) * fraction;
}

}  // namespace

const double normal_z_95 = 1.959964;

// The score test of a binomial proportion (Wilson 1927, the test whose
// inversion is his interval); Agresti, Categorical Data Analysis (3rd ed.,
// 2013), section 1.4.
double score_z(int32_t k, int32_t n, double p0)
{
    if (n <= 0 || !(p0 > 0.0 && p0 < 1.0))
        return 0.0;
    return ((double)k / (double)n - p0) / sqrt(p0 * (1.0 - p0) / (double)n);
}

double normal_two_sided_p(double z)
{
    return erfc(fabs(z) / sqrt(2.0));
}

// Y. Benjamini and Y. Hochberg (1995), "Controlling the false discovery
// rate: a practical and powerful approach to multiple testing", Journal
// of the Royal Statistical Society B 57: 289-300; the adjusted p-values
// as R's p.adjust(method = "BH") gives them.
int adjust_benjamini_hochberg(const double p[], int32_t m, double adjusted[], int32_t order[])
{
    if (m < 0)
        return 0;
    for (int32_t i = 0; i < m; i++)
        order[i] = i;
    // Ties keep their order, so equal p-values get equal adjusted ones.
    std::stable_sort(order, order + m, [p](int32_t a, int32_t b) { return p[a] < p[b]; });
    double smallest = 1.0;
    for (int32_t rank = m; rank >= 1; rank--) {
        int32_t test = order[rank - 1];
        double scaled = p[test] * (double)m / (double)rank;
        if (scaled < smallest)
            smallest = scaled;
        adjusted[test] = smallest;
    }
    return 1;
}

// The chi-square distribution with df degrees of freedom is the gamma
// distribution of shape df / 2 and scale 2, so its upper tail at x is
// Q(df / 2, x / 2).
double chi_square_upper_p(double x, int df)
{
    if (df < 1)
        return 0.0;
    if (!(x > 0.0))
        return 1.0;
    double q = upper_regularized_gamma(df / 2.0, x / 2.0);
    return q < 0.0 ? 0.0 : (q > 1.0 ? 1.0 : q);
}
