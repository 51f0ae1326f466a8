#pragma once
// Releases the web-view environments, the shared graphics objects and the
// Media Foundation device manager at the end of the process, in that order.
void ReleaseGraphicsAtExit();
