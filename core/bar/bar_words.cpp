// Two words typed into the bar: "duke" shakes it between the top and bottom
// edge for 1.2 seconds, "disco" pulses its opacity for 1.6 seconds.
#include <windows.h>
#include <mmsystem.h>

#include "core/runtime/app_state.h"
#include "core/bar/bar_behaviours.h"
#include "core/bar/bar_window.h"
#include "resources/resource_ids.h"

namespace {
const WCHAR kDuke[] = L"duke";
const WCHAR kDisco[] = L"disco";
const DWORD kShakeMs = 1200;
const DWORD kDiscoMs = 1600;
const UINT kDiscoTable[8] = {99, 75, 50, 25, 1, 25, 50, 75};

UINT DukeProgress, DiscoProgress;

// A separate flag rather than a start time of 0, which GetTickCount can
// return.
bool Shaking;
DWORD ShakeStart;
UINT ShakeSavedPosition;

bool Pulsing;
DWORD DiscoStart;
UINT DiscoSavedOpacity;
UINT DiscoStep;
}  // namespace

bool BarWordAdvance(const WCHAR* word, UINT length, UINT* progress, WCHAR c) {
    if (c != word[*progress]) {
        // Not tried again as a first letter: "dduke" is no duke.
        *progress = 0;
        return false;
    }
    *progress = (*progress + 1) % length;
    return *progress == 0;
}

void BarOnChar(HWND bar, WCHAR c) {
    CharLowerBuffW(&c, 1);
    if (BarWordAdvance(kDuke, 4, &DukeProgress, c)) SetTimer(bar, TIMER_SHAKE, 100, nullptr);
    if (BarWordAdvance(kDisco, 5, &DiscoProgress, c)) SetTimer(bar, TIMER_DISCO, 50, nullptr);
}

namespace {
// The sound library is loaded for the first shake, not at start-up, where
// its load was part of every start; it stays loaded for the sound it plays
// on after this returns.
void PlayShakeSound() {
    typedef BOOL(WINAPI * PlaySoundFn)(LPCWSTR, HMODULE, DWORD);
    HMODULE winmm = GetModuleHandleW(L"winmm.dll");
    if (!winmm) winmm = LoadLibraryW(L"winmm.dll");
    PlaySoundFn play = winmm ? reinterpret_cast<PlaySoundFn>(GetProcAddress(winmm, "PlaySoundW")) : nullptr;
    if (play) play(IDR_SHAKEIT_NAME, AppInstance, SND_RESOURCE | SND_ASYNC | SND_NOSTOP | SND_NOWAIT);
}
}  // namespace

void BarOnShakeTimer(HWND bar) {
    DWORD now = GetTickCount();
    if (!Shaking) {
        Shaking = true;
        ShakeStart = now;
        ShakeSavedPosition = Bar.position;
        // A missing sound or sound device only leaves the shake silent.
        PlayShakeSound();
        return;
    }
    if (now - ShakeStart >= kShakeMs) {
        KillTimer(bar, TIMER_SHAKE);
        Bar.position = ShakeSavedPosition;
        ShakeSavedPosition = 0;
        Shaking = false;
        BarReposition();
        return;
    }
    Bar.position = 1 - Bar.position;
    BarReposition();
}

void BarOnDiscoTimer(HWND bar) {
    DWORD now = GetTickCount();
    if (!Pulsing) {
        Pulsing = true;
        DiscoStart = now;
        DiscoSavedOpacity = BarGetOpacity();
        DiscoStep = 0;
        BarSetOpacity(kDiscoTable[0]);
        return;
    }
    if (now - DiscoStart >= kDiscoMs) {
        KillTimer(bar, TIMER_DISCO);
        BarSetOpacity(DiscoSavedOpacity);
        DiscoSavedOpacity = 0;
        Pulsing = false;
        return;
    }
    DiscoStep = (DiscoStep + 1) % 8;
    BarSetOpacity(kDiscoTable[DiscoStep]);
}

UINT BarRestingPosition() { return Shaking ? ShakeSavedPosition : Bar.position; }
UINT BarRestingOpacity() { return Pulsing ? DiscoSavedOpacity : Bar.opacity; }

void BarStopEffects(HWND bar) {
    if (Shaking) {
        KillTimer(bar, TIMER_SHAKE);
        Bar.position = ShakeSavedPosition;
        Shaking = false;
    }
    if (Pulsing) {
        KillTimer(bar, TIMER_DISCO);
        BarSetOpacity(DiscoSavedOpacity);
        Pulsing = false;
    }
}
