// Degree sine and cosine: the x87's two roundings on every processor, checked against the C
// library's extended precision where long double is the x87's.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "services/extended_trig.h"
#include "services/maths.h"

namespace {

struct case_bits {
    bool cosine;
    double degrees, want;
};

// Angles whose 64-bit value falls exactly halfway between two doubles: the x87 then rounds to the
// even one, where rounding once (a wider long double, a double sine) gives the other neighbour.
constexpr case_bits halfway_cases[] = {
    {false, -0x1.f3f4b4p+9, 0x1.f85ba0cf5973ap-1}, {true, -0x1.f3a9fp+9, 0x1.4bf0805ec0f9ap-3},
    {true, -0x1.f3a32ep+9, 0x1.4a13bf0127866p-3},  {false, -0x1.f3958ep+9, 0x1.f97576ca5660ap-1},
    {false, -0x1.f367dp+9, 0x1.f9f534ba592a4p-1},  {false, -0x1.f336f4p+9, 0x1.fa7816670e67cp-1},
    {false, -0x1.f32b7ap+9, 0x1.fa95feeec7c0ap-1}, {true, -0x1.f2efcep+9, 0x1.188c187a19e28p-3},
    {false, -0x1.f2d71p+9, 0x1.fb6837f204c04p-1},
};

// The game's kind of angle: a float in degrees, some whole, some stepped by 0.09 like the sun.
struct angle_source {
    uint64_t s = 88172645463325252ull;
    uint64_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    double degrees(int i)
    {
        switch (i % 3) {
        case 0:
            return static_cast<float>(static_cast<double>(next() >> 11) / 9007199254740992.0 * 2000.0 - 1000.0);
        case 1:
            return static_cast<float>(static_cast<float>(i / 3 % 40000) * 0.09f);
        default:
            return static_cast<double>(i / 3 % 1441 - 720);
        }
    }
};

} // namespace

TEST(extended_trig, exact_angles_and_signs)
{
    EXPECT_EQ(sin_deg(0.0), 0.0);
    EXPECT_TRUE(std::signbit(sin_deg(-0.0)));
    EXPECT_EQ(cos_deg(0.0), 1.0);
    EXPECT_EQ(sin_deg(90.0), 1.0);
    EXPECT_EQ(cos_deg(180.0), -1.0);
    EXPECT_EQ(sin_deg(270.0), -1.0);
    // Not zero: the sine of the double nearest pi, and the cosine of the double nearest pi/2.
    EXPECT_EQ(sin_deg(180.0), 0x1.1a62633145c07p-53);
    EXPECT_EQ(cos_deg(90.0), 0x1.1a62633145c07p-54);
    EXPECT_EQ(sin_deg(30.0), 0x1.fffffffffffffp-2);
    EXPECT_TRUE(std::isnan(sin_deg(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(cos_deg(std::numeric_limits<double>::quiet_NaN())));
}

TEST(extended_trig, halfway_values_round_to_even_as_the_x87_does)
{
    for (const case_bits& c : halfway_cases) {
        double got = c.cosine ? cos_deg(c.degrees) : sin_deg(c.degrees);
        EXPECT_EQ(got, c.want) << (c.cosine ? "cos " : "sin ") << std::hexfloat << c.degrees << " gave " << got;
    }
}

TEST(extended_trig, odd_even_and_within_an_ulp_of_the_double_functions)
{
    angle_source a;
    for (int i = 0; i < 60000; ++i) {
        double d = a.degrees(i), x = d * 0.017453292519943295;
        double s = sin_deg(d), c = cos_deg(d);
        ASSERT_EQ(sin_deg(-d), -s) << std::hexfloat << d;
        ASSERT_EQ(cos_deg(-d), c) << std::hexfloat << d;
        // The C library's double functions are good to an ulp on every processor.
        ASSERT_LE(std::fabs(s - std::sin(x)), std::nextafter(std::fabs(s), 2.0) - std::fabs(s)) << std::hexfloat << d;
        ASSERT_LE(std::fabs(c - std::cos(x)), std::nextafter(std::fabs(c), 2.0) - std::fabs(c)) << std::hexfloat << d;
    }
}

// Where long double is the x87's own format, the library computes what the game always did: ours
// must agree, but for the library's own last-bit slips right at a halfway point (a few in 10^5).
TEST(extended_trig, matches_the_libraries_extended_precision)
{
    if (std::numeric_limits<long double>::digits != 64) GTEST_SKIP() << "long double is not the x87's here";
    angle_source a;
    int differ = 0;
    const int n = 300000;
    for (int i = 0; i < n; ++i) {
        double d = a.degrees(i), x = d * 0.017453292519943295;
        for (int f = 0; f < 2; ++f) {
            long double wide = f ? std::cos(static_cast<long double>(x)) : std::sin(static_cast<long double>(x));
            double lib = static_cast<double>(wide), ours = f ? extended_cos(x) : extended_sin(x);
            if (lib == ours) continue;
            ++differ;
            // One ulp apart, with the library's 64-bit value within one of its ulps of the halfway point.
            ASSERT_EQ(std::nextafter(lib, ours), ours) << std::hexfloat << x << (f ? " cos" : " sin");
            long double halfway = (static_cast<long double>(lib) + static_cast<long double>(ours)) / 2;
            long double ulp64 = std::fabs(std::nextafter(wide, 2.0L) - wide);
            ASSERT_LE(std::fabs(wide - halfway), ulp64) << std::hexfloat << x << (f ? " cos" : " sin");
        }
    }
    EXPECT_LT(differ, 2 * n / 10000) << differ << " of " << 2 * n;
}
