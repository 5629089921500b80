// Keys the library links: an infrared or white-light key and its
// intelligent-mode twin hold one value, and only one of the two is set by the
// user, chosen by the light type; setting the other is dropped.
#ifndef SENSORCTL_LINKED_KEYS_H
#define SENSORCTL_LINKED_KEYS_H

// The key of the pair that takes the user's value under the light type:
// the key itself when it leads or has no twin.
int leadingKey(int key, int lightType);

#endif
