// The table of the fifteen lists: what a new game empties, and clearing from inside an actor's walk.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "battle_fixture.h"
#include "shell/game_flow.h"

namespace {

template <typename T> void add_one(const world_list_row<T>& row)
{
    row.list->append(std::make_unique<T>());
}

std::map<std::string, int> sizes()
{
    std::map<std::string, int> out;
    for_each_world_list([&out](const auto& row) { out[row.name] = row.list->size(); });
    return out;
}

} // namespace

class world_lists : public battle_test {};

TEST_F(world_lists, a_new_game_empties_the_battle_and_keeps_the_sky_and_the_bomb_marks)
{
    for_each_world_list([](const auto& row) { add_one(row); });
    clear_battlefield();
    const std::map<std::string, int> want{
        {"star", 1},      {"canball", 0},  {"backcloud", 1}, {"frontcloud", 1}, {"lgtrooper", 0},
        {"smtrooper", 0}, {"commando", 0}, {"mustang", 0},   {"nukerocket", 0}, {"smallbomb", 0},
        {"explosion", 0}, {"bodypart", 0}, {"planepart", 0}, {"smokering", 0},  {"bombmark", 1},
    };
    EXPECT_EQ(sizes(), want);
    clear_all_lists();
    for (const auto& [name, n] : sizes()) EXPECT_EQ(n, 0) << name;
}

TEST_F(world_lists, the_game_ending_inside_a_walk_stops_it_and_leaves_the_caller_usable)
{
    // As when a commando reaches the fort: the battle is cleared from inside his own update.
    for (int i = 0; i < 3; ++i) commando_tag::Create(100.0f * i, 50.0f, 0.0f);
    smallbomb_tag::Create(10.0f, 10.0f, 0);
    int visits = 0;
    commando_list.walk([&visits](commando_tag& c) {
        ++visits;
        clear_battlefield();
        c.x = c.x + 1.0f; // still his own memory: nothing is freed while the walk goes on
        c.state = commando_walking;
    });
    EXPECT_EQ(visits, 1) << "the walk went on to commandos that were cleared";
    EXPECT_TRUE(commando_list.empty());
    EXPECT_TRUE(smallbomb_list.empty());
}
