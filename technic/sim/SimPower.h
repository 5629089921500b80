// Power cuts for the stand-in file class. A cut acts as the death of the
// process: the write under way keeps only the bytes before the cut, and every
// later VXFile operation (open, read, write, getLength, sync, rename,
// syncFolder, remove) fails and changes nothing until power is restored.
// What the cut left on the disk stays there, as after a real restart.
#ifndef TECHNIC_SIM_SIM_POWER_H
#define TECHNIC_SIM_SIM_POWER_H

#include <cstdint>

namespace technic_sim {

// Counting from now, byte number n of the bytes written through VXFile is
// never written: power goes off inside the write that reaches it, and that
// write returns the n bytes (or fewer) it managed.
void cutPowerAfterBytes(std::uint64_t n);
// Power goes off when the next VXFile::rename is asked for: it never happens.
void cutPowerBeforeRename();
// Power back on, nothing armed.
void restorePower();
bool powerCut();

// Whether VXFile::sync and syncFolder push to the PC's disk (on by default).
// A simulator may turn it off: its camera's flash needs no durability across
// the PC's own power cuts, and each fsync costs milliseconds. Saves still go
// through the temporary file and the rename, and cuts still act as above.
void setDurableSync(bool on);
bool durableSync();

// --- hooks of the stand-in VXFile ---
// How many of `length` bytes a write may pass before an armed cut; cuts
// power when the cut falls inside these bytes.
std::uint64_t powerForWrite(std::uint64_t length);
// False when power is off or goes off now, before the rename.
bool powerForRename();

} // namespace technic_sim

#endif
