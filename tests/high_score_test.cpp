// The best score's file: the round trip, the first run, bad files, the old place beside the game, and saves that fail.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "shell_fixture.h"

namespace {

using bytes = std::vector<uint8_t>;

bytes read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return bytes(std::istreambuf_iterator<char>(in), {});
}

void write_file(const std::string& path, const bytes& b)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

bytes le(int a, int b)
{
    bytes out;
    for (int v : {a, b})
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * i)));
    return out;
}

int lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::vector<std::string> names_in(const std::string& folder)
{
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(folder)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

class high_score_test : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(save / "player");
        std::filesystem::create_directories(save / "game/data");
        auto b = std::make_unique<platform::headless_backend>();
        b->set_user_folder(save / "player/");
        platform::set_backend(std::move(b));
        player = save / "player/hiscore.dat";
        old_file = save / "game/data/hiscore.dat";
        old_high_score_path = old_file;
        best_score = best_casualties = -7; // a load must set both
    }
    void TearDown() override
    {
        old_high_score_path.clear();
        high_score_before_rename = nullptr;
        platform::set_backend(nullptr);
    }

    // Runs f with stderr caught; what it wrote.
    template <typename F> static std::string told(F f)
    {
        testing::internal::CaptureStderr();
        f();
        return testing::internal::GetCapturedStderr();
    }

    // Runs f in a child process (as an unprivileged user when `drop` is set); f's result and its stderr.
    template <typename F> std::pair<int, std::string> in_child(F f, bool drop = false)
    {
        // A pipe, not a file: a child that cannot write files can still say why.
        int fds[2];
        if (::pipe(fds) != 0) return {-2, ""};
        std::fflush(stderr);
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(fds[0]);
            ::dup2(fds[1], 2);
            if (drop && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
            int code = f();
            std::fflush(stderr);
            ::_exit(code);
        }
        ::close(fds[1]);
        std::string said;
        char buf[512];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) said.append(buf, static_cast<size_t>(n));
        ::close(fds[0]);
        int status = 0;
        ::waitpid(pid, &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, said};
    }

    scratch_folder save;
    std::string player, old_file;
};

TEST_F(high_score_test, a_saved_score_comes_back_byte_for_byte_and_nothing_else_is_left)
{
    best_score = 123456;
    best_casualties = 789;
    EXPECT_EQ(told(save_high_score), "");
    EXPECT_EQ(read_file(player), le(123456, 789));
    EXPECT_EQ(names_in(save / "player"), std::vector<std::string>{"hiscore.dat"}) << "no temporary file left";
    best_score = best_casualties = 0;
    EXPECT_EQ(told(load_high_score), "");
    EXPECT_EQ(best_score, 123456);
    EXPECT_EQ(best_casualties, 789);
    EXPECT_TRUE(names_in(save / "game/data").empty()) << "never written beside the game";
}

TEST_F(high_score_test, the_first_run_starts_from_nothing_quietly_and_leaves_an_8_byte_file)
{
    EXPECT_EQ(told(load_high_score), "");
    EXPECT_EQ(best_score, 0);
    EXPECT_EQ(best_casualties, 0);
    save_high_score();
    EXPECT_EQ(read_file(player), le(0, 0));
}

TEST_F(high_score_test, a_bad_file_counts_as_no_score_says_so_once_and_stays_until_the_next_save)
{
    const struct {
        const char* what;
        bytes content;
    } cases[] = {
        {"short", {1, 2, 3, 4, 5}},
        {"empty", {}},
        {"long", {1, 0, 0, 0, 2, 0, 0, 0, 3}},
        {"negative score", le(-5, 3)},
        {"negative casualties", le(5, -3)},
    };
    for (const auto& c : cases) {
        write_file(player, c.content);
        std::string err = told(load_high_score);
        EXPECT_EQ(best_score, 0) << c.what;
        EXPECT_EQ(best_casualties, 0) << c.what;
        EXPECT_EQ(lines(err), 1) << c.what << ": " << err;
        EXPECT_NE(err.find(player), std::string::npos) << c.what << ": the message names the file";
        EXPECT_EQ(read_file(player), c.content) << c.what << ": loading leaves it alone";
        best_score = 40;
        best_casualties = 2;
        EXPECT_EQ(told(save_high_score), "") << c.what;
        EXPECT_EQ(read_file(player), le(40, 2)) << c.what << ": replaced by the save";
    }
}

TEST_F(high_score_test, a_folder_in_the_files_place_is_no_score_and_no_save_either)
{
    std::filesystem::create_directory(player);
    std::string err = told(load_high_score);
    EXPECT_EQ(best_score, 0);
    EXPECT_EQ(lines(err), 1) << err;
    best_score = 70;
    err = told(save_high_score);
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_TRUE(std::filesystem::is_directory(player));
    EXPECT_EQ(names_in(save / "player"), std::vector<std::string>{"hiscore.dat"}) << "the attempt cleaned up";
}

TEST_F(high_score_test, an_unreadable_file_counts_as_no_score)
{
    write_file(player, le(900, 9));
    ::chmod(player.c_str(), 0);
    ::chmod(save.path.c_str(), 0755);
    ::chmod((save / "player").c_str(), 0755);
    auto [status, err] = in_child(
        [] {
            load_high_score();
            return best_score == 0 && best_casualties == 0 ? 0 : 1;
        },
        true);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lines(err), 1) << err;
    ::chmod(player.c_str(), 0644);
    EXPECT_EQ(read_file(player), le(900, 9));
}

TEST_F(high_score_test, a_save_into_a_folder_that_takes_no_file_leaves_the_old_one_whole)
{
    write_file(player, le(900, 9));
    ::chmod(save.path.c_str(), 0755);
    ::chmod((save / "player").c_str(), 0555);
    auto [status, err] = in_child(
        [] {
            best_score = 1000;
            save_high_score();
            return 0;
        },
        true);
    ::chmod((save / "player").c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_NE(err.find("not saved"), std::string::npos) << err;
    EXPECT_EQ(read_file(player), le(900, 9));
    EXPECT_EQ(names_in(save / "player"), std::vector<std::string>{"hiscore.dat"});
}

TEST_F(high_score_test, a_save_killed_between_writing_and_renaming_leaves_the_old_file_whole)
{
    write_file(player, le(900, 9));
    auto [status, err] = in_child([] {
        high_score_before_rename = [] { ::_exit(9); };
        best_score = 5000;
        best_casualties = 50;
        save_high_score();
        return 0;
    });
    EXPECT_EQ(status, 9) << "the save reached the point between write and rename";
    EXPECT_EQ(read_file(player), le(900, 9));
    load_high_score();
    EXPECT_EQ(best_score, 900) << "the half-done save's leftover does not disturb the next run";

    best_score = 6000;
    best_casualties = 60;
    EXPECT_EQ(told(save_high_score), "");
    EXPECT_EQ(read_file(player), le(6000, 60)) << "and the next save goes through";
}

TEST_F(high_score_test, a_full_disk_leaves_the_old_file_whole_says_so_once_and_leaves_no_scrap)
{
    write_file(player, le(900, 9));
    auto [status, err] = in_child([] {
        // Every write past 0 bytes fails as on a full disk (EFBIG rather than ENOSPC, same path).
        ::signal(SIGXFSZ, SIG_IGN);
        rlimit none{0, 0};
        if (::setrlimit(RLIMIT_FSIZE, &none) != 0) return 98;
        best_score = 5000;
        best_casualties = 50;
        save_high_score();
        return 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_NE(err.find("not saved"), std::string::npos) << err;
    EXPECT_EQ(read_file(player), le(900, 9));
    EXPECT_EQ(names_in(save / "player"), std::vector<std::string>{"hiscore.dat"}) << "the unfinished copy is removed";
}

TEST_F(high_score_test, copies_left_by_killed_saves_are_swept_at_start_up_once_they_are_old)
{
    write_file(player, le(900, 9));
    std::string folder = save / "player";
    for (const char* name :
         {"hiscore.dat.a1B2c3", "hiscore.dat.Zz9yX8", "hiscore.dat.young1", "hiscore.dat.bak", "notes.txt"})
        write_file(folder + "/" + name, le(1, 1));
    auto old_time = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(5);
    for (const char* name : {"hiscore.dat.a1B2c3", "hiscore.dat.Zz9yX8", "hiscore.dat.bak", "notes.txt"})
        std::filesystem::last_write_time(folder + "/" + name, old_time);
    EXPECT_EQ(told(load_high_score), "");
    EXPECT_EQ(best_score, 900);
    EXPECT_EQ(names_in(folder),
              (std::vector<std::string>{"hiscore.dat", "hiscore.dat.bak", "hiscore.dat.young1", "notes.txt"}))
        << "only old copies of the save's own pattern go; a save still running keeps its copy";
}

TEST_F(high_score_test, an_earlier_builds_file_beside_the_game_is_read_and_carried_over_never_written)
{
    write_file(old_file, le(777, 11));
    load_high_score();
    EXPECT_EQ(best_score, 777);
    EXPECT_EQ(best_casualties, 11);
    save_high_score();
    EXPECT_EQ(read_file(player), le(777, 11));
    EXPECT_EQ(read_file(old_file), le(777, 11));
    EXPECT_EQ(names_in(save / "game/data"), std::vector<std::string>{"hiscore.dat"});

    // Once the player has a file of their own, the old one is not read again.
    write_file(player, le(5, 1));
    load_high_score();
    EXPECT_EQ(best_score, 5);

    // A bad old file counts as none, said once.
    std::filesystem::remove(player);
    write_file(old_file, {1, 2});
    std::string err = told(load_high_score);
    EXPECT_EQ(best_score, 0);
    EXPECT_EQ(lines(err), 1) << err;
}

TEST_F(high_score_test, without_a_folder_for_saved_files_nothing_is_written_and_that_is_said)
{
    dynamic_cast<platform::headless_backend&>(platform::current()).set_user_folder("");
    EXPECT_EQ(high_score_path(), "");
    best_score = 300;
    std::string err = told(save_high_score);
    EXPECT_EQ(lines(err), 1) << err;
    EXPECT_TRUE(names_in(save / "game/data").empty());
    EXPECT_TRUE(names_in(save / "player").empty());

    // A folder given without its closing slash is the same folder.
    dynamic_cast<platform::headless_backend&>(platform::current()).set_user_folder(save / "player");
    save_high_score();
    EXPECT_EQ(read_file(player), le(300, best_casualties));
}

// Whole runs: the first run's file, and a record game left with Escape.
TEST(high_score_in_a_run, a_first_run_shows_zeros_and_a_record_left_with_escape_is_kept)
{
    scratch_folder save;
    game_run first;
    first.user_folder = save.path;
    first.script = std::string(skip_logo) + "30 down 1\n31 up 1\n300 key_down 27\n";
    bool zeros = true;
    first.each_frame = [&zeros](int frame) {
        if (frame > 10 && frame < 30) zeros = zeros && best_score == 0 && best_casualties == 0;
        if (frame == 200) score = 2400, casualties = 31; // the game's own points, as the battle would give them
    };
    EXPECT_EQ(first.run(), 0);
    EXPECT_TRUE(zeros);
    EXPECT_EQ(first.presented, 300);
    EXPECT_EQ(read_file(save / "hiscore.dat"), le(2400, 31));

    game_run second;
    second.user_folder = save.path;
    second.script = std::string(skip_logo) + "20 key_down 27\n";
    int shown = -1;
    second.each_frame = [&shown](int frame) {
        if (frame == 20) shown = best_score;
    };
    EXPECT_EQ(second.run(), 0);
    EXPECT_EQ(shown, 2400);
    EXPECT_EQ(read_file(save / "hiscore.dat"), le(2400, 31)) << "written again, unchanged";
}

} // namespace
