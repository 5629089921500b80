// Gives each test case its own device root: a fresh temporary folder named by
// SENSOR_ROOTFS for the life of the object, removed afterwards.
#ifndef TESTS_TEST_ROOT_H
#define TESTS_TEST_ROOT_H

#include <string>

class TestRoot {
public:
    // withExample: start from a copy of the sample device tree.
    explicit TestRoot(bool withExample = false);
    ~TestRoot();
    TestRoot(const TestRoot&) = delete;
    TestRoot& operator=(const TestRoot&) = delete;

    const std::string& path() const { return m_strPath; }
    // Host path of a device path inside this root.
    std::string host(const std::string& devicePath) const;
    void writeFile(const std::string& devicePath, const std::string& content) const;
    std::string readFile(const std::string& devicePath) const;
    bool exists(const std::string& devicePath) const;
    void remove(const std::string& devicePath) const;

private:
    std::string m_strPath;
    std::string m_strPrevious;
    bool m_bHadPrevious = false;
};

#endif
