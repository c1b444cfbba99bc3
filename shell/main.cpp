// The game's entry point: the real window, sound and pads, then the program itself.
#include "platform/platform.h"
#include "platform/sdl_backend.h"
#include "shell/data_folder.h"
#include "shell/main_loop.h"

int main()
{
    enter_data_folder();
    platform::set_backend(platform::make_sdl_backend());
    int status = game_main();
    platform::set_backend(nullptr);
    return status;
}
