// The fifteen actor lists by name, in one table that clearing, dumps, traces and test fixtures walk.
#pragma once

#include <tuple>

#include "actors/actors.h"

// One row: the list, the name dumps and traces give it, and whether a new game empties it.
template <typename T> struct world_list_row {
    const char* name;
    actor_list<T>* list;
    bool battle; // false: the sky (stars, clouds) and the bomb marks outlast a game
};

// In the lists' creation order, which is also the order of every dump and trace line.
inline constexpr auto world_list_table = std::tuple{
    world_list_row<star_tag>{"star", &star_list, false},
    world_list_row<canball_tag>{"canball", &canball_list, true},
    world_list_row<backcloud_tag>{"backcloud", &backcloud_list, false},
    world_list_row<frontcloud_tag>{"frontcloud", &frontcloud_list, false},
    world_list_row<lgtrooper_tag>{"lgtrooper", &lgtrooper_list, true},
    world_list_row<smtrooper_tag>{"smtrooper", &smtrooper_list, true},
    world_list_row<commando_tag>{"commando", &commando_list, true},
    world_list_row<mustang_tag>{"mustang", &mustang_list, true},
    world_list_row<nukerocket_tag>{"nukerocket", &nukerocket_list, true},
    world_list_row<smallbomb_tag>{"smallbomb", &smallbomb_list, true},
    world_list_row<explosion_tag>{"explosion", &explosion_list, true},
    world_list_row<bodypart_tag>{"bodypart", &bodypart_list, true},
    world_list_row<planepart_tag>{"planepart", &planepart_list, true},
    world_list_row<smokering_tag>{"smokering", &smokering_list, true},
    world_list_row<bombmark_tag>{"bombmark", &bombmark_list, false},
};

inline constexpr int world_list_count = static_cast<int>(std::tuple_size_v<decltype(world_list_table)>);

// Calls fn(row) for each row of the table, in its order.
template <typename F> void for_each_world_list(F&& fn)
{
    std::apply([&fn](const auto&... row) { (fn(row), ...); }, world_list_table);
}

// Empties all fifteen lists, the sky's included.
inline void clear_all_lists()
{
    for_each_world_list([](const auto& row) { row.list->clear(); });
}

// Empties the lists a new game starts without: the sky and the bomb marks stay.
inline void clear_battle_lists()
{
    for_each_world_list([](const auto& row) {
        if (row.battle) row.list->clear();
    });
}
