// The shared generator bit for bit, seeding, truncation and degree trigonometry.
#include <gtest/gtest.h>

#include "services/maths.h"

TEST(random, first_step_from_the_start_state_needs_no_correction)
{
    seed_rnd(4660);
    rnd_range(0, 1); // two steps
    // Recompute the two steps by hand with 64-bit arithmetic.
    int64_t s = 4660;
    s = s * 48271 % 2147483647;
    EXPECT_EQ(s, 4660LL * 48271);
    s = s * 48271 % 2147483647;
    EXPECT_EQ(rnd_state, s);
}

TEST(random, schrage_matches_plain_modular_arithmetic_over_many_steps)
{
    seed_rnd(123456789);
    int64_t s = 123456789;
    for (int i = 0; i < 10000; ++i) {
        rnd_range(0, 1);
        s = s * 48271 % 2147483647;
        s = s * 48271 % 2147483647;
        ASSERT_EQ(rnd_state, s) << "draw " << i;
    }
}

TEST(random, draw_combines_two_masked_steps)
{
    seed_rnd(4660);
    int64_t a = 4660LL * 48271 % 2147483647, b = a * 48271 % 2147483647;
    double u = ((a & 0x1FFFFFFC) + (b & 0x1FFFFFF8) / 134217728.0) / 536870912.0;
    seed_rnd(4660);
    EXPECT_DOUBLE_EQ(rnd_range(0, 10), 10 * u);
    seed_rnd(4660);
    EXPECT_DOUBLE_EQ(rnd_range(10, 0), 10 * u); // either order gives the same value
}

TEST(random, seeding_rules)
{
    seed_rnd(0);
    EXPECT_EQ(rnd_state, 4660);
    seed_rnd(-1); // masks to 0x7FFFFFFF
    EXPECT_EQ(rnd_state, 4660);
    seed_rnd(-2);
    EXPECT_EQ(rnd_state, 0x7FFFFFFE);
    seed_rnd(77);
    EXPECT_EQ(rnd_state, 77);
}

TEST(random, range_stays_inside_and_never_reaches_the_larger_bound)
{
    seed_rnd(99);
    EXPECT_EQ(rnd_range(5, 5), 5.0);
    for (int i = 0; i < 20000; ++i) {
        double v = rnd_range(10, 0);
        ASSERT_GE(v, 0.0);
        ASSERT_LT(v, 10.0);
    }
}

TEST(float_to_int, truncates_toward_zero)
{
    EXPECT_EQ(float_to_int(2.9), 2);
    EXPECT_EQ(float_to_int(-2.9), -2);
    EXPECT_EQ(float_to_int(2.5), 2);
    EXPECT_EQ(float_to_int(-0.5), 0);
    EXPECT_EQ(float_to_int(-1.0), -1);
    EXPECT_EQ(float_to_int(0.9999), 0);
    EXPECT_EQ(float_to_int(1e12), 2147483647); // saturates rather than wrapping
}

TEST(trig, degrees_with_up_as_zero_convention)
{
    EXPECT_NEAR(sin_deg(90), 1.0, 1e-15);
    EXPECT_NEAR(cos_deg(180), -1.0, 1e-15);
    EXPECT_NEAR(sin_deg(-90), -1.0, 1e-15);
    EXPECT_NEAR(sin_deg(720 + 30), 0.5, 1e-12); // no reduction needed
}

TEST(time, negative_delay_does_not_sleep)
{
    int t = millis();
    delay_ms(-1);
    delay_ms(0);
    EXPECT_EQ(millis(), t);
}
