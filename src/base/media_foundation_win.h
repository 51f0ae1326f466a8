#pragma once
// Media Foundation starts with the first video or bake that needs it, not with
// the program: a picture or web wallpaper never pays for it.

// Main thread. Starts Media Foundation once; later calls do nothing.
void StartMediaFoundation();
// At exit, after every Media Foundation object is gone; only when started.
void ShutdownMediaFoundation();
