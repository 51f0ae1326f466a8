#pragma once
// Arms, re-arms or cancels the frame timer from what the renderers need.
void UpdateFrameTimer();
// One pass of the frame loop: ticks every renderer that should draw.
void RunFrame();
