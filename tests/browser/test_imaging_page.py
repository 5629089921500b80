#!/usr/bin/python3
"""The imaging page of `sensorctl serve` in headless Chromium.

usage: test_imaging_page.py SENSORCTL EXAMPLE_ROOTFS SCHEDULE_SCRIPT [SCREENSHOT]

One browser session for the whole scenario: move Brightness to 60 and see its
ISP call, switch scheme and back, flush, restart the server on the same tree
and find 60 again, choose channel 2, then run a scheduled tree's day, and the
same day again in manual mode.
"""
import re
import shutil
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

SENSORCTL, EXAMPLE, SCHEDULE = sys.argv[1:4]
SCREENSHOT = sys.argv[4] if len(sys.argv) > 4 else None


class Server:
    """sensorctl serve on a tree, on a free loopback port."""

    def __init__(self, root):
        self.process = subprocess.Popen([SENSORCTL, "--root", root, "serve", "--port", "0"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:
            found = re.search(r"(http://127\.0\.0\.1:\d+/)", line)
            if found:
                self.url = found.group(1)
                break
        else:
            raise RuntimeError("sensorctl serve did not start")
        # Keep reading its console so the pipe never fills.
        self.drain = subprocess.Popen(["cat"], stdin=self.process.stderr, stdout=subprocess.DEVNULL)

    def stop(self):
        self.process.terminate()
        assert self.process.wait(timeout=30) == 0, "serve did not stop cleanly"
        self.drain.wait(timeout=30)


def tree(scheduled=False):
    root = tempfile.mkdtemp(prefix="sensorctl-page-")
    shutil.rmtree(root)
    shutil.copytree(EXAMPLE, root)
    if scheduled:
        subprocess.run([SENSORCTL, "--root", root, "-f", SCHEDULE], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return root


def browser():
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--window-size=1400,1000"):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_for(driver, condition, what):
    WebDriverWait(driver, 20).until(lambda d: condition(d), message=what)


def text(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def brightness_shown(driver):
    # Read in the page: every answer redraws the items, so a held element goes stale.
    return driver.execute_script("const v = document.querySelector('#item-34 .value'); return v && v.textContent;")


def open_image_tab(driver, url):
    driver.get(url)
    wait_for(driver, lambda d: d.find_elements(By.CSS_SELECTOR, "#tabs button[data-key=image]"), "the tabs")
    driver.find_element(By.CSS_SELECTOR, "#tabs button[data-key=image]").click()
    wait_for(driver, lambda d: d.find_elements(By.CSS_SELECTOR, "#item-34 input[type=range]"), "the Brightness slider")


def pick(driver, select_id, value):
    # As a user's choice does it; the options are redrawn after every answer.
    driver.execute_script("const s = document.getElementById(arguments[0]); s.value = arguments[1];"
                          "s.dispatchEvent(new Event('change'));", select_id, str(value))


def choose(driver, select_id, value, what):
    pick(driver, select_id, value)
    wait_for(driver, lambda d: what in text(d, "result"), what)


def main():
    root = tree()
    driver = browser()
    server = Server(root)
    try:
        open_image_tab(driver, server.url)
        assert brightness_shown(driver) == "50"
        slider = driver.find_element(By.CSS_SELECTOR, "#item-34 input")
        driver.execute_script("arguments[0].value = 60; arguments[0].dispatchEvent(new Event('change'));", slider)
        wait_for(driver, lambda d: "34\tSET\t60\tok" in d.find_element(By.ID, "isp").get_attribute("textContent"),
                 "the ISP call for key 34 with 60")
        assert "read back 60" in text(driver, "result")

        choose(driver, "scheme", 1, "scheme 1")
        choose(driver, "scheme", 0, "scheme 0")
        wait_for(driver, lambda d: brightness_shown(d) == "60", "60 after switching back")
        driver.find_element(By.ID, "flush").click()
        wait_for(driver, lambda d: "flush: result 0" in text(d, "result"), "the flush")
        if SCREENSHOT:
            driver.save_screenshot(SCREENSHOT)

        server.stop()
        server = Server(root)
        open_image_tab(driver, server.url)
        assert brightness_shown(driver) == "60", "the flushed value after a restart"

        pick(driver, "channel", 2)
        wait_for(driver, lambda d: d.find_element(By.ID, "channel").get_attribute("value") == "2"
                 and d.find_elements(By.CSS_SELECTOR, "#tabs button"), "channel 2")
        server.stop()

        server = Server(tree(scheduled=True))
        driver.get(server.url)
        wait_for(driver, lambda d: d.find_elements(By.CSS_SELECTOR, "#tabs button"), "the page of the scheduled tree")
        driver.find_element(By.ID, "clock-run").click()
        expected = ["06:00  channel 1  scheme 3", "08:00  channel 1  scheme 1",
                    "18:00  channel 1  scheme 2", "22:00  channel 1  scheme 0"]
        wait_for(driver, lambda d: all(line in d.find_element(By.ID, "switches").get_attribute("textContent") for line in expected), "the day's switches")
        # In manual mode the same day brings no switch.
        choose(driver, "mode", 0, "manual mode: result 0")
        driver.find_element(By.ID, "clock-run").click()
        wait_for(driver, lambda d: d.find_element(By.ID, "switches").get_attribute("textContent") == "no switch",
                 "no switch in manual mode")
    finally:
        server.stop()
        driver.quit()
    print("browser test: passed")


main()
