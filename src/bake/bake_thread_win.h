#pragma once
// At shutdown: cancels a running bake, waits for its thread to end and
// starts no other.
void CancelAndJoinBake();
