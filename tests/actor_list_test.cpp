// Lists that survive removal of any element, or of all of them, in the middle of a walk.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "actors/actor_list.h"

namespace {

struct dummy {
    int id;
    explicit dummy(int i) : id(i) {}
};

actor_list<dummy>& make(std::vector<dummy*>& out, int n)
{
    static actor_list<dummy> list;
    list.clear();
    out.clear();
    for (int i = 0; i < n; ++i) out.push_back(list.append(std::make_unique<dummy>(i)));
    return list;
}

std::vector<int> ids(actor_list<dummy>& l)
{
    std::vector<int> v;
    l.walk([&](dummy& d) { v.push_back(d.id); });
    return v;
}

} // namespace

TEST(actor_list, an_actor_removing_itself_is_not_revisited_and_the_next_still_runs)
{
    std::vector<dummy*> a;
    auto& l = make(a, 4);
    std::vector<int> seen;
    l.walk([&](dummy& d) {
        seen.push_back(d.id);
        if (d.id == 1) {
            l.remove(&d);
            d.id = 100; // the removed actor's update carries on with its fields
        }
    });
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(ids(l), (std::vector<int>{0, 2, 3}));
}

TEST(actor_list, removing_twice_and_removing_strangers_leave_the_list_intact)
{
    std::vector<dummy*> a;
    auto& l = make(a, 3);
    dummy stranger(7);
    l.walk([&](dummy& d) {
        if (d.id == 0) {
            l.remove(&d);
            l.remove(&d);
            l.remove(&stranger);
        }
    });
    EXPECT_EQ(ids(l), (std::vector<int>{1, 2}));
    EXPECT_EQ(l.size(), 2);
}

TEST(actor_list, removing_the_next_one_or_emptying_the_list_ends_the_walk_cleanly)
{
    std::vector<dummy*> a;
    auto& l = make(a, 5);
    std::vector<int> seen;
    l.walk([&](dummy& d) {
        seen.push_back(d.id);
        if (d.id == 1) l.remove(a[2]); // a target removed by someone else's update
        if (d.id == 3) l.clear();      // the end of a game, from inside an update
    });
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 3}));
    EXPECT_TRUE(l.empty());
    EXPECT_TRUE(ids(l).empty());
}

TEST(actor_list, appended_during_a_walk_is_reached_and_front_inserts_are_not)
{
    std::vector<dummy*> a;
    auto& l = make(a, 2);
    std::vector<int> seen;
    l.walk([&](dummy& d) {
        seen.push_back(d.id);
        if (d.id == 0) {
            l.append(std::make_unique<dummy>(10));
            l.insert_front(std::make_unique<dummy>(20));
        }
    });
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 10}));
    EXPECT_EQ(ids(l), (std::vector<int>{20, 0, 1, 10}));
}

TEST(actor_list, nested_walks_of_another_list_may_remove_from_it)
{
    std::vector<dummy*> a;
    auto& outer = make(a, 3);
    actor_list<dummy> targets;
    dummy* t0 = targets.append(std::make_unique<dummy>(50));
    targets.append(std::make_unique<dummy>(51));
    int hits = 0;
    outer.walk([&](dummy&) {
        targets.walk([&](dummy& t) {
            if (&t == t0) {
                targets.remove(&t);
                ++hits;
            }
        });
    });
    EXPECT_EQ(hits, 1);
    EXPECT_EQ(targets.size(), 1);
}

TEST(actor_list, a_run_of_removed_followers_is_skipped_and_removing_them_again_does_nothing)
{
    std::vector<dummy*> a;
    auto& l = make(a, 6);
    std::vector<int> seen;
    l.walk([&](dummy& d) {
        seen.push_back(d.id);
        if (d.id == 1) {
            l.remove(a[3]); // out of order: the later one first
            l.remove(a[2]);
        }
        if (d.id == 4) {
            l.remove(a[2]);
            l.remove(a[3]);
            l.remove(a[1]); // one already walked past
            l.remove(&d);
        }
    });
    EXPECT_EQ(seen, (std::vector<int>{0, 1, 4, 5}));
    EXPECT_EQ(ids(l), (std::vector<int>{0, 5}));
    EXPECT_EQ(l.size(), 2);
}

namespace {

struct counted {
    static int alive;
    int id;
    explicit counted(int i) : id(i) { ++alive; }
    ~counted() { --alive; }
};
int counted::alive = 0;

} // namespace

TEST(actor_list, emptied_lists_keep_their_actors_alive_until_the_outermost_walk_ends)
{
    {
        actor_list<counted> balls, targets;
        for (int i = 0; i < 3; ++i) {
            balls.append(std::make_unique<counted>(i));
            targets.append(std::make_unique<counted>(10 + i));
        }
        ASSERT_EQ(counted::alive, 6);
        int outer = 0, inner = 0;
        balls.walk([&](counted& b) {
            ++outer;
            targets.walk([&](counted& t) {
                ++inner;
                // The end of a game, from deep inside an update: every list is emptied.
                balls.clear();
                targets.clear();
                EXPECT_EQ(counted::alive, 6);
                t.id = -1; // both updates carry on with their own fields
                b.id = -1;
            });
            EXPECT_EQ(b.id, -1);
        });
        EXPECT_EQ(outer, 1);
        EXPECT_EQ(inner, 1);
        EXPECT_EQ(counted::alive, 0);
        EXPECT_TRUE(balls.empty());

        // Emptied, the lists take new actors and walk them as before.
        balls.append(std::make_unique<counted>(7));
        int n = 0;
        targets.walk([&](counted&) { ++n; });
        balls.walk([&](counted& b) { n += b.id; });
        EXPECT_EQ(n, 7);
    }
    EXPECT_EQ(counted::alive, 0);
}
