#pragma once
// Sets the cancel flag of a running bake and waits for its thread to end.
void CancelAndJoinBake();
