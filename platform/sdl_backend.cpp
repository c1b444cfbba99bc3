// The real backend over SDL2: the game's window, a streaming texture, the audio device and pads.
#include "platform/sdl_backend.h"

#include <SDL.h>
#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/letterbox.h"
#include "platform/screenshot.h"
#include "platform/sdl_keys.h"

namespace platform {

namespace {

// The system sound library writes its own lines to stderr for every device it cannot open
// (eight of them on a machine with no sound card). Its handler is silenced while the device is
// opened, through the library SDL itself loads, so the game needs no build-time link to it.
class alsa_quiet {
public:
    alsa_quiet()
    {
        lib_ = dlopen("libasound.so.2", RTLD_LAZY | RTLD_NOLOAD);
        if (!lib_) lib_ = dlopen("libasound.so.2", RTLD_LAZY);
        if (lib_) set_ = reinterpret_cast<set_handler>(dlsym(lib_, "snd_lib_error_set_handler"));
        if (set_) set_(silent);
    }
    ~alsa_quiet()
    {
        if (set_) set_(nullptr); // the library's own handler again
        if (lib_) dlclose(lib_);
    }
    alsa_quiet(const alsa_quiet&) = delete;
    alsa_quiet& operator=(const alsa_quiet&) = delete;

private:
    using handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using set_handler = int (*)(handler);
    static void silent(const char*, int, const char*, int, const char*, ...) {}
    void* lib_ = nullptr;
    set_handler set_ = nullptr;
};

class sdl_backend final : public backend {
public:
    explicit sdl_backend(window_mode mode) : mode_(mode) {}

    ~sdl_backend() override
    {
        shots_.finish();
        close_audio();
        for (auto& p : pads_) p.close();
        if (enlarged_) SDL_DestroyTexture(enlarged_);
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        SDL_Quit();
    }

    const char* name() const override { return "sdl"; }
    const char* failure() const override { return error_.c_str(); }

    bool open_window(const char* caption, int width, int height, bool fullscreen) override
    {
        if (!video_ok_ && !start_video()) return false;
        pic_w_ = width;
        pic_h_ = height;
        if (mode_ != window_mode::as_asked)
            fullscreen = mode_ == window_mode::fullscreen;
        else if (kept_)
            fullscreen = kept_fullscreen_;
        if (!window_) {
            int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED, w, h;
            Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI | SDL_WINDOW_RESIZABLE;
            SDL_DisplayMode desktop;
            if (fullscreen && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
                // Made at the desktop's own size, so it covers the screen even where no window
                // manager applies the full-screen request; the mode itself is never switched.
                w = desktop.w;
                h = desktop.h;
                x = y = 0;
                flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
            } else {
                fullscreen = false;
                window_size(0, w, h);
                kept_size(0, w, h);
            }
            // Made for OpenGL, the renderer SDL picks first here, so it is not swapped for
            // another window (a flash on screen) when the renderer comes.
            window_ = SDL_CreateWindow(caption, x, y, w, h, flags | SDL_WINDOW_OPENGL);
            if (!window_) window_ = SDL_CreateWindow(caption, x, y, w, h, flags);
            if (!window_) return fail(SDL_GetError());
            renderer_ = SDL_CreateRenderer(window_, -1, 0);
            if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
            if (!renderer_) {
                fail(SDL_GetError());
                SDL_DestroyWindow(window_);
                window_ = nullptr;
                return false;
            }
            fullscreen_ = fullscreen;
            apply_icon();
        }
        if (texture_) SDL_DestroyTexture(texture_);
        if (enlarged_) SDL_DestroyTexture(enlarged_);
        enlarged_ = nullptr;
        enlarged_scale_ = 0;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, width, height);
        if (!texture_) return fail(SDL_GetError());
        texture_nearest_ = true;
        SDL_SetTextureScaleMode(texture_, SDL_ScaleModeNearest);
        SDL_RaiseWindow(window_);
        SDL_StartTextInput(); // characters arrive as text events only while this is on
        return true;
    }

    void set_event_handler(event_handler handler) override { handler_ = handler; }

    void pump_events() override
    {
        // The game's own moves that warp nothing arrive, like a warp's, as a later report.
        if (warp_waiting_ && SDL_TICKS_PASSED(SDL_GetTicks(), warp_until_)) warp_waiting_ = false;
        std::vector<event> queued;
        queued.swap(queued_);
        for (const auto& q : queued) send(q.kind, q.a, q.b);
        SDL_Event e;
        while (SDL_PollEvent(&e)) translate(e);
        // A pointer last seen off the picture while it could not be held (the focus still to
        // come, a warp of the game's just made) is put back as soon as it can be.
        if (!warp_waiting_ && SDL_GetMouseFocus() == window_ && !(seen_x_ == stale_x_ && seen_y_ == stale_y_))
            hold_at_edge(pointer_mapping(), seen_x_, seen_y_);
    }

    void present(const uint32_t* pixels, int width, int height, bool vsync) override
    {
        if (!renderer_ || !texture_) return;
        if (shot_requested_) {
            shot_requested_ = false;
            std::string folder = user_folder();
            shots_.save(folder.empty() ? "" : folder + "screenshots/", pixels, width, height);
        }
        if (vsync != vsync_) {
            SDL_RenderSetVSync(renderer_, vsync ? 1 : 0);
            vsync_ = vsync;
        }
        SDL_UpdateTexture(texture_, nullptr, pixels, width * 4);
        letterbox lb = pointer_mapping().box;
        // Whole multiples stay sharp pixel for pixel. Other sizes are smoothed, as dropping or
        // doubling every n-th row would lose thin lines or make them uneven; enlarged first by
        // nearest pixel, only the edges of the picture's pixels are blended.
        SDL_Texture* big = lb.whole || lb.prescale <= 1 ? nullptr : enlarged(lb.prescale);
        SDL_Rect dst{lb.x, lb.y, lb.w, lb.h};
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        if (big) {
            SDL_RenderCopy(renderer_, big, nullptr, &dst);
        } else {
            nearest(lb.whole);
            SDL_RenderCopy(renderer_, texture_, nullptr, &dst);
        }
        SDL_RenderPresent(renderer_);
    }

    void nearest(bool on)
    {
        if (on == texture_nearest_) return;
        SDL_SetTextureScaleMode(texture_, on ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
        texture_nearest_ = on;
    }

    // The picture enlarged k times by nearest pixel, in a texture the renderer draws on; null
    // where the renderer cannot draw on textures, and the picture is then filtered as it is.
    SDL_Texture* enlarged(int k)
    {
        if (k != enlarged_scale_) {
            if (enlarged_) SDL_DestroyTexture(enlarged_);
            enlarged_ = nullptr;
            enlarged_scale_ = k;
            if (SDL_RenderTargetSupported(renderer_))
                enlarged_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_TARGET, k * pic_w_,
                                              k * pic_h_);
            if (enlarged_) SDL_SetTextureScaleMode(enlarged_, SDL_ScaleModeLinear);
        }
        if (!enlarged_ || SDL_SetRenderTarget(renderer_, enlarged_) != 0) return nullptr;
        nearest(true);
        bool drawn = SDL_RenderCopy(renderer_, texture_, nullptr, nullptr) == 0;
        SDL_SetRenderTarget(renderer_, nullptr);
        return drawn ? enlarged_ : nullptr;
    }

    bool can_wait_for_blank() const override { return renderer_ != nullptr; }

    void hide_pointer() override { SDL_ShowCursor(SDL_DISABLE); }

    // The target is kept inside the picture, so the pointer never leaves the window by a move
    // and its report always comes back.
    void move_pointer(int x, int y) override
    {
        if (!window_) return;
        if (!held() && only_onto_field(x, y)) {
            // The game keeping the pointer on the field while nobody plays: the reading moves,
            // the desktop's pointer stays free to leave the window.
            queued_.push_back({event_kind::mouse_move, x, y});
            return;
        }
        int wx, wy;
        pointer_mapping().to_window(x, y, wx, wy);
        SDL_WarpMouseInWindow(window_, wx, wy);
        // Reports from before the warp may still come (a window just made full screen sends
        // some); they must not pull the pointer back from where the game put it.
        warp_waiting_ = true;
        warp_until_ = SDL_GetTicks() + warp_wait_ms;
    }

    // Only the game's frames say whether it is played. A pointer held from now on is left where
    // the game put it (a new game and a switch to full screen place it); it is held from its next
    // move. (The desktop's own confinement is not asked for: SDL then reports the pointer inside
    // while a warped or absolute pointer may be outside, and it could no longer be put back.)
    void hold_pointer(bool in_play) override { in_play_ = in_play; }

    void set_icon(const uint32_t* pixels, int width, int height) override
    {
        if (!pixels || width <= 0 || height <= 0) return;
        icon_.assign(pixels, pixels + static_cast<size_t>(width) * static_cast<size_t>(height));
        icon_w_ = width;
        icon_h_ = height;
        apply_icon();
    }

    uint32_t ticks_ms() override { return SDL_GetTicks(); }

    void sleep_ms(int ms) override
    {
        if (ms > 0) SDL_Delay(static_cast<Uint32>(ms));
    }

    std::string user_folder() override
    {
        // ~/.local/share/ramparion/ (or $XDG_DATA_HOME/ramparion/); SDL makes it when missing.
        char* p = SDL_GetPrefPath("", "ramparion");
        if (!p) return "";
        std::string path = p;
        SDL_free(p);
        return path;
    }

    bool open_audio(audio_callback cb, void* user) override
    {
        if (audio_dev_) return true;
        set_names();
        alsa_quiet quiet; // the game says itself, in one line, when there is no sound
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return fail(SDL_GetError());
        cb_ = cb;
        user_ = user;
        SDL_AudioSpec want{}, have{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 256;
        want.callback = [](void* self, Uint8* stream, int len) {
            auto* b = static_cast<sdl_backend*>(self);
            b->cb_(reinterpret_cast<int16_t*>(stream), len / 4, b->user_);
        };
        want.userdata = this;
        audio_dev_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (!audio_dev_) {
            fail(SDL_GetError());
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return false;
        }
        SDL_PauseAudioDevice(audio_dev_, 0);
        return true;
    }

    void close_audio() override
    {
        if (audio_dev_) SDL_CloseAudioDevice(audio_dev_);
        audio_dev_ = 0;
    }

    // Pads still attached keep their place and new ones go to the end, so port 0 stays the
    // first pad attached for as long as it is there.
    int joystick_count() override
    {
        if (!SDL_WasInit(SDL_INIT_JOYSTICK)) return 0;
        SDL_JoystickUpdate();
        for (size_t i = 0; i < pads_.size();) {
            if (pads_[i].attached()) {
                ++i;
                continue;
            }
            pads_[i].close();
            pads_.erase(pads_.begin() + static_cast<std::ptrdiff_t>(i));
        }
        int n = SDL_NumJoysticks();
        for (int i = 0; i < n; ++i) {
            SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(i);
            bool known = false;
            for (const auto& p : pads_) known = known || p.id == id;
            if (known || id < 0) continue;
            pad p;
            if (SDL_IsGameController(i)) p.controller = SDL_GameControllerOpen(i);
            if (!p.controller) p.joystick = SDL_JoystickOpen(i);
            if (!p.controller && !p.joystick) {
                std::fprintf(stderr, "ramparion: cannot open a pad: %s\n", SDL_GetError());
                continue;
            }
            p.id = SDL_JoystickInstanceID(p.stick());
            pads_.push_back(p);
        }
        return static_cast<int>(pads_.size());
    }

    bool joystick_read(int index, joystick_state& s) override
    {
        if (index < 0 || index >= static_cast<int>(pads_.size())) return false;
        SDL_JoystickUpdate(); // a fresh reading, as if the device were asked directly
        const pad& p = pads_[static_cast<size_t>(index)];
        if (!p.attached()) return false;
        s = {};
        if (p.controller) {
            for (int b = 0; b < static_cast<int>(std::size(controller_buttons)); ++b)
                if (SDL_GameControllerGetButton(p.controller, controller_buttons[b])) s.buttons |= 1u << b;
            // Start pauses as B does: it is where players look for a pause.
            if (SDL_GameControllerGetButton(p.controller, SDL_CONTROLLER_BUTTON_START)) s.buttons |= 1u << 1;
            s.x = axis(SDL_GameControllerGetAxis(p.controller, SDL_CONTROLLER_AXIS_LEFTX));
            s.y = axis(SDL_GameControllerGetAxis(p.controller, SDL_CONTROLLER_AXIS_LEFTY));
            if (SDL_GameControllerGetButton(p.controller, SDL_CONTROLLER_BUTTON_DPAD_LEFT)) s.x = -1.0f;
            if (SDL_GameControllerGetButton(p.controller, SDL_CONTROLLER_BUTTON_DPAD_RIGHT)) s.x = 1.0f;
            if (SDL_GameControllerGetButton(p.controller, SDL_CONTROLLER_BUTTON_DPAD_UP)) s.y = -1.0f;
            if (SDL_GameControllerGetButton(p.controller, SDL_CONTROLLER_BUTTON_DPAD_DOWN)) s.y = 1.0f;
            return true;
        }
        int nb = SDL_JoystickNumButtons(p.joystick);
        for (int b = 0; b < nb && b < 32; ++b)
            if (SDL_JoystickGetButton(p.joystick, b)) s.buttons |= 1u << b;
        if (SDL_JoystickNumAxes(p.joystick) >= 2) {
            s.x = axis(SDL_JoystickGetAxis(p.joystick, 0));
            s.y = axis(SDL_JoystickGetAxis(p.joystick, 1));
        }
        if (SDL_JoystickNumHats(p.joystick) >= 1) {
            Uint8 hat = SDL_JoystickGetHat(p.joystick, 0);
            if (hat & SDL_HAT_LEFT) s.x = -1.0f;
            if (hat & SDL_HAT_RIGHT) s.x = 1.0f;
            if (hat & SDL_HAT_UP) s.y = -1.0f;
            if (hat & SDL_HAT_DOWN) s.y = 1.0f;
        }
        return true;
    }

private:
    struct pad {
        SDL_GameController* controller = nullptr;
        SDL_Joystick* joystick = nullptr;
        SDL_JoystickID id = -1;

        SDL_Joystick* stick() const { return controller ? SDL_GameControllerGetJoystick(controller) : joystick; }
        bool attached() const { return stick() && SDL_JoystickGetAttached(stick()); }
        void close()
        {
            if (controller) SDL_GameControllerClose(controller);
            if (joystick) SDL_JoystickClose(joystick);
            controller = nullptr;
            joystick = nullptr;
        }
    };

    // Button b of a game controller: the face buttons first, so button 0 (fire) is A and
    // button 1 (pause) is B.
    static constexpr SDL_GameControllerButton controller_buttons[] = {SDL_CONTROLLER_BUTTON_A,
                                                                      SDL_CONTROLLER_BUTTON_B,
                                                                      SDL_CONTROLLER_BUTTON_X,
                                                                      SDL_CONTROLLER_BUTTON_Y,
                                                                      SDL_CONTROLLER_BUTTON_LEFTSHOULDER,
                                                                      SDL_CONTROLLER_BUTTON_RIGHTSHOULDER,
                                                                      SDL_CONTROLLER_BUTTON_BACK,
                                                                      SDL_CONTROLLER_BUTTON_START,
                                                                      SDL_CONTROLLER_BUTTON_LEFTSTICK,
                                                                      SDL_CONTROLLER_BUTTON_RIGHTSTICK};

    // Full deflection reads exactly -1 and +1 (many pads stop at -32767, not -32768), and the
    // centre reads 0.
    static float axis(Sint16 v)
    {
        if (v <= -32767) return -1.0f;
        if (v >= 32767) return 1.0f;
        return static_cast<float>(v) / 32767.0f;
    }

    // Names the desktop shows: the mixer's stream, and the window class that ties the window to
    // the desktop file. A name the player set in the environment wins.
    static void set_names()
    {
        SDL_SetHint(SDL_HINT_APP_NAME, audio_app_name);
        SDL_SetHint(SDL_HINT_AUDIO_DEVICE_APP_NAME, audio_app_name);
        setenv("SDL_VIDEO_X11_WMCLASS", desktop_app_id, 0);
        setenv("SDL_VIDEO_WAYLAND_WMCLASS", desktop_app_id, 0);
    }

    bool start_video()
    {
        set_names();
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return fail(SDL_GetError());
        // SDL falls back to an invisible window when there is no desktop; unless asked for by
        // name, that is no display to play on.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (driver && !std::getenv("SDL_VIDEODRIVER") &&
            (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
            return fail("no X11 or Wayland desktop was found");
        }
        video_ok_ = true;
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0) {
            std::fprintf(stderr, "ramparion: no joysticks: %s\n", SDL_GetError());
            return true;
        }
        // The player's own mappings, for pads SDL's database does not know or maps wrongly.
        std::string folder = user_folder();
        std::string own = folder + "gamecontrollerdb.txt";
        struct stat st;
        if (!folder.empty() && ::stat(own.c_str(), &st) == 0 && SDL_GameControllerAddMappingsFromFile(own.c_str()) < 0)
            std::fprintf(stderr, "ramparion: cannot read %s: %s\n", own.c_str(), SDL_GetError());
        return true;
    }

    // The client size of a window on display `index`: twice the picture where the screen has room.
    void window_size(int index, int& w, int& h) const
    {
        SDL_Rect free{0, 0, 2 * pic_w_ + 2 * frame_allowance_w, 2 * pic_h_ + 2 * frame_allowance_h};
        if (SDL_GetDisplayUsableBounds(index, &free) != 0) SDL_GetDisplayBounds(index, &free);
        window_size_for(free.w, free.h, pic_w_, pic_h_, w, h);
    }

    void prefer_window(bool fullscreen, int width, int height) override
    {
        kept_ = true;
        kept_fullscreen_ = fullscreen;
        kept_w_ = width;
        kept_h_ = height;
    }

    bool window_state(bool& fullscreen, int& width, int& height) const override
    {
        if (!window_) return false;
        fullscreen = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
        width = window_w_;
        height = window_h_;
        if (!fullscreen) SDL_GetWindowSize(window_, &width, &height);
        return true;
    }

    // The size the player's window had last time, where it fits on display `index`.
    void kept_size(int index, int& w, int& h) const
    {
        if (kept_w_ <= 0 || kept_h_ <= 0) return;
        SDL_Rect free{0, 0, kept_w_, kept_h_};
        if (SDL_GetDisplayUsableBounds(index, &free) != 0) SDL_GetDisplayBounds(index, &free);
        w = kept_w_ < free.w ? kept_w_ : free.w;
        h = kept_h_ < free.h ? kept_h_ : free.h;
    }

    pointer_map pointer_mapping() const
    {
        int ww = pic_w_, wh = pic_h_, ow = pic_w_, oh = pic_h_;
        if (window_) SDL_GetWindowSize(window_, &ww, &wh);
        if (renderer_) SDL_GetRendererOutputSize(renderer_, &ow, &oh);
        return make_pointer_map(ww, wh, ow, oh, pic_w_, pic_h_);
    }

    // One character out of UTF-8 text; a broken sequence gives its first byte.
    static int next_code_point(const char*& c)
    {
        auto u = [&](int i) { return static_cast<unsigned char>(c[i]); };
        int lead = u(0), len = lead < 0x80         ? 1
                               : (lead >> 5) == 6  ? 2
                               : (lead >> 4) == 14 ? 3
                               : (lead >> 3) == 30 ? 4
                                                   : 0;
        int cp = len == 1 ? lead : len == 2 ? lead & 0x1f : len == 3 ? lead & 0x0f : lead & 0x07;
        for (int i = 1; i < len; ++i) {
            if ((u(i) & 0xc0) != 0x80) {
                len = 0;
                break;
            }
            cp = cp << 6 | (u(i) & 0x3f);
        }
        if (len == 0) {
            ++c;
            return lead;
        }
        c += len;
        return cp;
    }

    void send(event_kind k, int a = 0, int b = 0)
    {
        if (k == event_kind::mouse_move) {
            read_x_ = a;
            read_y_ = b;
        }
        if (handler_) handler_({k, a, b});
    }

    // Keys the window itself answers (Alt+Enter, F12); the game never sees them, up or down.
    bool window_key(const SDL_KeyboardEvent& k)
    {
        SDL_Scancode sc = k.keysym.scancode;
        bool enter = sc == SDL_SCANCODE_RETURN || sc == SDL_SCANCODE_KP_ENTER;
        if (k.type == SDL_KEYUP) {
            if ((enter && enter_taken_) || sc == SDL_SCANCODE_F12) {
                if (enter) enter_taken_ = false;
                return true;
            }
            return false;
        }
        if (sc == SDL_SCANCODE_F12) {
            if (!k.repeat) shot_requested_ = true;
            return true;
        }
        // Alt alone, and Alt with Control, Shift or the logo key, are left for others.
        Uint16 mod = k.keysym.mod;
        if (enter && (mod & KMOD_ALT) && !(mod & (KMOD_CTRL | KMOD_SHIFT | KMOD_GUI))) {
            if (!k.repeat) toggle_fullscreen();
            enter_taken_ = true;
            return true;
        }
        return false;
    }

    void translate(const SDL_Event& e)
    {
        switch (e.type) {
        case SDL_QUIT:
            send(event_kind::terminate);
            break;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) send(event_kind::suspend);
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                focus_gained_at_ = e.window.timestamp;
                send(event_kind::resume);
            }
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) send(event_kind::terminate);
            if (e.window.event == SDL_WINDOWEVENT_LEAVE) pull_pointer_in();
            if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED && !fullscreen_ &&
                !(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN))
                SDL_GetWindowSize(window_, &window_w_, &window_h_); // kept for the way back from full screen
            break;
        case SDL_KEYDOWN: {
            if (window_key(e.key)) break;
            int k = game_key_code_for_key(e.key.keysym.scancode, e.key.keysym.sym);
            if (k <= 0 || k > 255) break;
            // A key still held from before the focus came back arrives at once as a fresh press
            // (the modifiers from SDL's own check, the rest with the next auto-repeat); it is not
            // one, and nobody presses a key within a tenth of a second of switching back.
            bool held = e.key.timestamp - focus_gained_at_ < held_key_grace_ms;
            send(e.key.repeat || held ? event_kind::key_repeat : event_kind::key_down, k);
            // Text events carry no control characters; these four come as characters too.
            if (k == 8 || k == 9 || k == 13 || k == 27) send(event_kind::key_char, k);
            break;
        }
        case SDL_KEYUP: {
            if (window_key(e.key)) break;
            int k = game_key_code_for_key(e.key.keysym.scancode, e.key.keysym.sym);
            if (k > 0 && k <= 255) send(event_kind::key_up, k);
            break;
        }
        case SDL_TEXTINPUT:
            for (const char* c = e.text.text; *c;) send(event_kind::key_char, next_code_point(c));
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int b = e.button.button == SDL_BUTTON_LEFT     ? 1
                    : e.button.button == SDL_BUTTON_RIGHT  ? 2
                    : e.button.button == SDL_BUTTON_MIDDLE ? 3
                                                           : 0;
            if (!b) break;
            bool down = e.type == SDL_MOUSEBUTTONDOWN;
            SDL_CaptureMouse(down ? SDL_TRUE : SDL_FALSE);
            send(down ? event_kind::mouse_down : event_kind::mouse_up, b);
            break;
        }
        case SDL_MOUSEMOTION: {
            int px, py;
            pointer_map map = pointer_mapping();
            map.to_picture(e.motion.x, e.motion.y, px, py);
            seen_x_ = e.motion.x;
            seen_y_ = e.motion.y;
            send(event_kind::mouse_move, px, py);
            // SDL repeats the place it last knew once the window has changed its size; that is
            // not where the pointer is, so it is not held from there.
            bool stale = e.motion.x == stale_x_ && e.motion.y == stale_y_;
            if (!warp_waiting_ && !stale) hold_at_edge(map, e.motion.x, e.motion.y);
            break;
        }
        case SDL_MOUSEWHEEL: {
            int steps = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y;
            if (steps) send(event_kind::wheel, steps * 120);
            break;
        }
        case SDL_JOYDEVICEADDED:
        case SDL_CONTROLLERDEVICEADDED:
            send(event_kind::joy_added);
            break;
        case SDL_JOYDEVICEREMOVED:
        case SDL_CONTROLLERDEVICEREMOVED:
            send(event_kind::joy_removed);
            break;
        default:
            break;
        }
    }

    // Full screen on the desktop's own mode and back to a window, keeping the game's picture,
    // its pacing and the pointer's place in the picture.
    void toggle_fullscreen()
    {
        if (!window_) return;
        int px = 0, py = 0, mx = 0, my = 0;
        bool inside = SDL_GetMouseFocus() == window_;
        if (inside) {
            SDL_GetMouseState(&mx, &my);
            pointer_mapping().to_picture(mx, my, px, py);
        }
        int index = SDL_GetWindowDisplayIndex(window_);
        if (index < 0) index = 0;
        // From what the window is, not what it was told: the window manager may have changed it.
        fullscreen_ = !(SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN);
        if (fullscreen_) {
            SDL_Rect screen;
            SDL_SetWindowBordered(window_, SDL_FALSE);
            if (SDL_GetDisplayBounds(index, &screen) == 0) {
                // Where no window manager takes the request, the window is made to cover the screen.
                SDL_SetWindowPosition(window_, screen.x, screen.y);
                SDL_SetWindowSize(window_, screen.w, screen.h);
            }
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else {
            SDL_SetWindowFullscreen(window_, 0);
            SDL_SetWindowBordered(window_, SDL_TRUE);
            int w = window_w_, h = window_h_;
            if (w <= 0 || h <= 0) {
                window_size(index, w, h);
                kept_size(index, w, h);
            }
            SDL_SetWindowSize(window_, w, h);
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED_DISPLAY(index),
                                  SDL_WINDOWPOS_CENTERED_DISPLAY(index));
        }
        // The same picture pixel under the pointer in the new window.
        stale_x_ = mx;
        stale_y_ = my;
        if (inside) move_pointer(px, py);
    }

    // Whether the pointer is held on the picture now: always in full screen, in a window only
    // while a game is played, and never while the window is not the player's.
    bool held() const
    {
        if (!window_ || SDL_GetKeyboardFocus() != window_) return false;
        // Its own record too: with no window manager to grant the request, SDL may not call
        // the window full screen though it covers the screen.
        return in_play_ || fullscreen_ || (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN);
    }

    // A move that only takes the reading from the picture's outermost row or column to the next
    // one in, as the fort does every frame.
    bool only_onto_field(int x, int y) const
    {
        int fx = std::clamp(read_x_, 1, pic_w_ - 1), fy = std::clamp(read_y_, 1, pic_h_ - 1);
        return x == fx && y == fy && (x != read_x_ || y != read_y_);
    }

    // The desktop's pointer kept over the picture: a held pointer that crosses into a bar or out
    // of the window is put back on the picture's edge, so a move back answers at once.
    void hold_at_edge(const pointer_map& map, int wx, int wy)
    {
        if (!held()) return;
        int x0, y0, x1, y1;
        map.picture_in_window(x0, y0, x1, y1);
        int cx = std::clamp(wx, x0, x1), cy = std::clamp(wy, y0, y1);
        if (cx != wx || cy != wy) SDL_WarpMouseInWindow(window_, cx, cy);
    }

    // A held pointer that has left the window (a quick flick, or held from now on) is brought
    // back where it was last seen, on the picture's edge it left by. (Where it went is not known:
    // SDL reports it inside the window, and its global position may be stale.)
    void pull_pointer_in()
    {
        if (!held() || SDL_GetMouseFocus() == window_) return;
        pointer_map map = pointer_mapping();
        int x0, y0, x1, y1;
        map.picture_in_window(x0, y0, x1, y1);
        SDL_WarpMouseInWindow(window_, std::clamp(seen_x_, x0, x1), std::clamp(seen_y_, y0, y1));
    }

    void apply_icon()
    {
        if (!window_ || icon_.empty()) return;
        SDL_Surface* s = SDL_CreateRGBSurfaceWithFormatFrom(icon_.data(), icon_w_, icon_h_, 32, icon_w_ * 4,
                                                            SDL_PIXELFORMAT_ARGB8888);
        if (!s) return;
        SDL_SetWindowIcon(window_, s);
        SDL_FreeSurface(s);
    }

    bool fail(const char* why)
    {
        error_ = why ? why : "unknown reason";
        return false;
    }

    window_mode mode_;
    std::string error_;
    bool video_ok_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    bool texture_nearest_ = true;
    SDL_Texture* enlarged_ = nullptr; // the picture at a whole multiple, for filtering down
    int enlarged_scale_ = 0;
    int pic_w_ = 640, pic_h_ = 480;
    int window_w_ = 0, window_h_ = 0; // the window's size the last time it was one
    bool kept_ = false;               // the player's window from the last run, when the game told it
    bool kept_fullscreen_ = true;
    int kept_w_ = 0, kept_h_ = 0;
    bool vsync_ = false;
    bool fullscreen_ = true;
    bool enter_taken_ = false;
    bool shot_requested_ = false;
    screenshot_writer shots_;
    event_handler handler_ = nullptr;
    SDL_AudioDeviceID audio_dev_ = 0;
    audio_callback cb_ = nullptr;
    void* user_ = nullptr;
    std::vector<pad> pads_;
    static constexpr Uint32 held_key_grace_ms = 100;
    bool in_play_ = false;
    int read_x_ = 0, read_y_ = 0; // what the game last read
    int seen_x_ = 0, seen_y_ = 0; // where the window last saw the pointer
    // After the game's own warp the edge is not held for a while: reports from before it may come.
    static constexpr Uint32 warp_wait_ms = 250;
    int stale_x_ = -1, stale_y_ = -1; // where the pointer was in the window before a switch
    bool warp_waiting_ = false;
    Uint32 warp_until_ = 0;
    std::vector<event> queued_;
    std::vector<uint32_t> icon_;
    int icon_w_ = 0, icon_h_ = 0;
    Uint32 focus_gained_at_ = 0;
};

} // namespace

std::unique_ptr<backend> make_sdl_backend(window_mode mode)
{
    return std::make_unique<sdl_backend>(mode);
}

} // namespace platform
