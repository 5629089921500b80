// State kept beside an object rather than in it, found by the object's
// address: the host allocates controllers with the size its own header gives,
// so a controller holds its described members and nothing more.
#ifndef SENSOR_SRC_BESIDE_OBJECT_H
#define SENSOR_SRC_BESIDE_OBJECT_H

#include <memory>
#include <mutex>
#include <unordered_map>

namespace sensor {

template <typename T>
class BesideObject {
public:
    // Creates the state of `owner` (its constructor) and destroys it (its destructor).
    static void create(const void* owner)
    {
        Registry& all = registry();
        std::lock_guard<std::mutex> guard(all.mutex);
        all.states[owner] = std::unique_ptr<T>(new T());
    }
    static void destroy(const void* owner)
    {
        Registry& all = registry();
        std::lock_guard<std::mutex> guard(all.mutex);
        all.states.erase(owner);
    }
    // The state of `owner`; it lives from create to destroy.
    static T& of(const void* owner)
    {
        Registry& all = registry();
        std::lock_guard<std::mutex> guard(all.mutex);
        return *all.states.at(owner);
    }

private:
    struct Registry {
        std::mutex mutex;
        std::unordered_map<const void*, std::unique_ptr<T>> states;
    };
    // Never destroyed: a controller may still be destroyed during exit.
    static Registry& registry()
    {
        static Registry* instance = new Registry;
        return *instance;
    }
};

} // namespace sensor

#endif
