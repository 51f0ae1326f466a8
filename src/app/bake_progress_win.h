#pragma once
// Handles the records the bake thread queued: a finished bake joins the
// user's library, and the page hears about every step.
void DrainBakeProgress();
