// The replay tool's actor dump: every list by name, stable ids, floats that read back exactly.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "battle_fixture.h"
#include "harness/actor_dump.h"

namespace {

// The text after "key": in `line`, from position `from` on.
std::string value_after(const std::string& line, const std::string& key, size_t from = 0)
{
    size_t at = line.find("\"" + key + "\":", from);
    if (at == std::string::npos) return "";
    at += key.size() + 3;
    size_t end = line.find_first_of(",}]", at);
    return line.substr(at, end - at);
}

} // namespace

class actor_dump : public battle_test {};

TEST_F(actor_dump, names_all_fifteen_lists_and_the_fort)
{
    std::string line = actor_dump_line(7);
    EXPECT_EQ(line.rfind("{\"frame\":7,", 0), 0u);
    for (const char* name :
         {"star", "canball", "backcloud", "frontcloud", "lgtrooper", "smtrooper", "commando", "mustang", "nukerocket",
          "smallbomb", "explosion", "bodypart", "planepart", "smokering", "bombmark"})
        EXPECT_NE(line.find(std::string("\"") + name + "\":["), std::string::npos) << name;
    fort.can_rot = 93;
    fort.crot_stp = -1;
    line = actor_dump_line(8);
    EXPECT_NE(line.find("\"fort\":{\"can_rot\":93,\"shot_tmr\":0,\"can_flash\":0,\"crot_stp\":-1}"), std::string::npos);
}

TEST_F(actor_dump, floats_read_back_to_the_same_single_precision_value)
{
    auto ball = std::make_unique<canball_tag>();
    ball->x = 0.1f;
    ball->y = 1.0f / 3.0f;
    ball->dir = -90.0f;
    ball->scale = 0.63999993f;
    canball_list.append(std::move(ball));
    std::string line = actor_dump_line(1);
    size_t at = line.find("\"canball\":[");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(std::strtof(value_after(line, "x", at).c_str(), nullptr), 0.1f);
    EXPECT_EQ(std::strtof(value_after(line, "y", at).c_str(), nullptr), 1.0f / 3.0f);
    EXPECT_EQ(value_after(line, "dir", at), "-90");
    EXPECT_EQ(std::strtof(value_after(line, "scale", at).c_str(), nullptr), 0.63999993f);
}

TEST_F(actor_dump, ids_follow_an_actor_and_are_never_reused)
{
    lgtrooper_tag* a = lgtrooper_list.append(std::make_unique<lgtrooper_tag>());
    lgtrooper_list.append(std::make_unique<smtrooper_tag>());
    std::string line = actor_dump_line(1);
    long first = std::atol(value_after(line, "id", line.find("\"lgtrooper\":[")).c_str());
    long second = std::atol(value_after(line, "id", line.find("},{", line.find("\"lgtrooper\":["))).c_str());
    EXPECT_GT(second, first);

    lgtrooper_list.remove(a);
    lgtrooper_list.append(std::make_unique<lgtrooper_tag>());
    line = actor_dump_line(2);
    size_t at = line.find("\"lgtrooper\":[");
    EXPECT_EQ(std::atol(value_after(line, "id", at).c_str()), second); // the survivor keeps its id
    long third = std::atol(value_after(line, "id", line.find("},{", at)).c_str());
    EXPECT_GT(third, second);
    // Field order is declaration order.
    size_t x = line.find("\"x\":", at), jump = line.find("\"jump_tmr\":", at), fr = line.find("\"fr_ctr\":", at);
    EXPECT_LT(x, fr);
    EXPECT_LT(fr, jump);
}
