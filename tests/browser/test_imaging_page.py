#!/usr/bin/python3
"""The imaging page of `sensorctl serve` in headless Chromium.

usage: test_imaging_page.py SENSORCTL EXAMPLE_ROOTFS SCHEDULE_SCRIPT [SCREENSHOT]

One browser session for the whole scenario: move Brightness to 60 and see its
ISP call, switch scheme and back, flush, restart the server on the same tree
and find 60 again, choose channel 2, then run a scheduled tree's day, and the
same day again in manual mode. Then, on a fresh tree, every control of both
channels is changed through the page and checked; values outside an item's
range are refused; an accessibility check (axe-core, from npm) runs on every
tab; the median time from a change to the redrawn page is printed.
"""
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import urllib.request

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

SENSORCTL, EXAMPLE, SCHEDULE = sys.argv[1:4]
SCREENSHOT = sys.argv[4] if len(sys.argv) > 4 else None
NPM_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "npm")
AXE = os.path.join(NPM_DIR, "node_modules", "axe-core", "axe.min.js")


class Server:
    """sensorctl serve on a tree, on a free loopback port."""

    def __init__(self, root, quiet=False):
        self.quiet = quiet
        self.process = subprocess.Popen([SENSORCTL, "--root", root] + (["--quiet"] if quiet else []) +
                                        ["serve", "--port", "0"],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:
            found = re.search(r"(http://127\.0\.0\.1:\d+/)", line)
            if found:
                self.url = found.group(1)
                break
        else:
            raise RuntimeError("sensorctl serve did not start")
        # Keep reading its console so the pipe never fills.
        self.console = tempfile.TemporaryFile()
        self.drain = subprocess.Popen(["cat"], stdin=self.process.stderr, stdout=self.console)

    def stop(self):
        self.process.terminate()
        assert self.process.wait(timeout=30) == 0, "serve did not stop cleanly"
        self.drain.wait(timeout=30)
        self.console.seek(0)
        console = self.console.read().decode(errors="replace")
        assert not self.quiet or "[sensor" not in console, "--quiet serve printed the library console"


def post(url, path, body):
    """A change made by another client than the page."""
    request = urllib.request.Request(url + path.lstrip("/"), data=json.dumps(body).encode(),
                                     headers={"Content-Type": "application/json"})
    with urllib.request.urlopen(request, timeout=30) as answer:
        return json.load(answer)


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


def axe_script():
    if not os.path.exists(AXE):
        subprocess.run(["npm", "install", "--no-save", "--no-audit", "--no-fund", "--prefix", NPM_DIR, "axe-core@4"],
                       check=True, stdout=subprocess.DEVNULL)
    with open(AXE, encoding="utf-8") as script:
        return script.read()


def page_state(driver):
    return driver.execute_script("return page.state;")


def state_value(driver, key):
    return values(page_state(driver)).get(key)


def values(state):
    return {item["id"]: item.get("value") for tab in state["tabs"] for item in tab["items"]}


def change(driver, key, value):
    """Sets the control as a user does; waits for the redrawn page. The
    page's own change time, or the refusal it shows."""
    return driver.execute_async_script("""
        const [key, value, done] = arguments;
        const times = page.changeTimes.length, message = document.getElementById("result").textContent;
        const input = document.getElementById("control-" + key);
        input.value = String(value);
        input.dispatchEvent(new Event("change"));
        const poll = () => {
          const shown = document.getElementById("result");
          if (page.changeTimes.length > times) return done(page.changeTimes[page.changeTimes.length - 1]);
          if (shown.className === "failed" && shown.textContent !== message) return done(shown.textContent);
          setTimeout(poll, 1);
        };
        poll();""", key, value)


def post_set(driver, channel, key, value):
    return driver.execute_async_script("""
        const [channel, key, value, done] = arguments;
        fetch("/api/set", {method: "POST", headers: {"Content-Type": "application/json"},
                           body: JSON.stringify({channel: channel, key: key, value: value})})
          .then(async (r) => done([r.status, (await r.json()).error || ""]));""", channel, key, value)


def new_value(item):
    if item.get("options"):
        return next(o["index"] for o in item["options"] if o["index"] != item["value"])
    # Where the range has one, a value a slider of 0..100 cannot show.
    low, high = item["min"], item["max"]
    candidates = [v for v in (high if high > 100 else None, low if low < 0 else None, high, low) if v is not None]
    return next(v for v in candidates if v != item["value"])


def refused_values(item):
    if item.get("options"):
        return [max(o["index"] for o in item["options"]) + 1]
    return [item["max"] + 1, item["min"] - 1]


def picture(driver):
    """The preview of the drawn state, once loaded: mean luminance, largest
    chroma and the mean luminance of each column."""
    return driver.execute_async_script("""
        const done = arguments[0], img = document.getElementById("preview");
        const wanted = "version=" + page.state.version;
        const measure = () => {
          if (!img.src.endsWith(wanted) || !img.complete || !img.naturalWidth) return setTimeout(measure, 5);
          const canvas = document.createElement("canvas");
          canvas.width = img.naturalWidth; canvas.height = img.naturalHeight;
          const context = canvas.getContext("2d");
          context.drawImage(img, 0, 0);
          const data = context.getImageData(0, 0, canvas.width, canvas.height).data;
          const columns = new Array(canvas.width).fill(0);
          let sum = 0, chroma = 0;
          for (let i = 0; i < data.length; i += 4) {
            const luma = 0.299 * data[i] + 0.587 * data[i + 1] + 0.114 * data[i + 2];
            sum += luma;
            columns[(i / 4) % canvas.width] += luma / canvas.height;
            chroma = Math.max(chroma, Math.abs(data[i] - data[i + 1]), Math.abs(data[i + 1] - data[i + 2]));
          }
          done({mean: sum / (data.length / 4), chroma: chroma, columns: columns});
        };
        measure();""")


def check_preview(driver, url):
    """The preview follows brightness, mirror and night."""
    driver.get(url)
    wait_for(driver, lambda d: d.find_elements(By.ID, "tab-image"), "the image tab")
    driver.execute_script("document.getElementById('tab-image').click();")
    change(driver, 34, 20)
    dark = picture(driver)
    change(driver, 34, 80)
    bright = picture(driver)
    assert bright["mean"] > dark["mean"] + 20, (dark["mean"], bright["mean"])
    assert dark["chroma"] > 100, "the colour bars in the day: %d" % dark["chroma"]
    change(driver, 2384, 1)
    mirrored = picture(driver)["columns"]
    assert all(abs(a - b) < 0.5 for a, b in zip(bright["columns"], reversed(mirrored))), "mirrored columns"
    assert any(abs(a - b) > 10 for a, b in zip(bright["columns"], mirrored)), "the chart is not symmetric"
    pick(driver, "daynight", 1)
    wait_for(driver, lambda d: "day/night: result 0" in text(d, "result"), "night")
    assert picture(driver)["chroma"] == 0, "colour at night"
    if SCREENSHOT:
        pick(driver, "daynight", 0)
        wait_for(driver, lambda d: d.execute_script("return page.state.dayNight;") == 0, "day again")
        picture(driver)
        driver.save_screenshot(SCREENSHOT)


def check_schemes(driver, url):
    """Export and import of pair text, and two schemes compared."""
    driver.get(url)
    wait_for(driver, lambda d: d.find_elements(By.ID, "tab-image"), "the page")
    driver.execute_script("document.getElementById('export').click();")
    wait_for(driver, lambda d: "exported" in text(d, "result"), "the export")
    exported = driver.find_element(By.ID, "pairs").get_attribute("value")
    assert "(34,50)" in exported, exported
    driver.execute_script("document.getElementById('import').click();")
    wait_for(driver, lambda d: "import: result 0" in text(d, "result"), "the exported text imported again")
    driver.execute_script("document.getElementById('pairs').value = '(34,44)(2384,9)';"
                          "document.getElementById('import').click();")
    wait_for(driver, lambda d: "nothing imported: value 9 of Mirror" in text(d, "result"), "a bad pair refused")
    assert state_value(driver, 34) == 50
    driver.execute_script("document.getElementById('pairs').value = '(34,44)(2337,60)';"
                          "document.getElementById('import').click();")
    wait_for(driver, lambda d: state_value(d, 34) == 44, "the imported pairs")
    driver.find_element(By.ID, "compare-run").click()
    wait_for(driver, lambda d: text(d, "compare-caption") == "2 keys differ", "the comparison")
    rows = driver.execute_script("return [...document.querySelectorAll('#compare-rows tr')]"
                                 ".map((r) => r.textContent);")
    assert rows == ["34Brightness4450", "2337Saturation6050"], rows


def check_accessibility(driver, axe, where):
    if not driver.execute_script("return typeof axe !== 'undefined';"):
        driver.execute_script(axe)
    violations = driver.execute_async_script("""
        const done = arguments[0];
        axe.run(document).then((r) => done(r.violations.filter((v) => v.impact === "serious" || v.impact === "critical")
                                            .map((v) => v.id + ": " + v.nodes.map((n) => n.target.join(" ")).join(", "))));""")
    assert not violations, where + ": " + "; ".join(violations)


def check_item(driver, channel, item, others):
    """Changes one control and checks what the page and the server show."""
    key, value = item["id"], new_value(item)
    outcome = change(driver, key, value)
    assert not isinstance(outcome, str), "channel %d key %d = %d: %s" % (channel, key, value, outcome)
    result = text(driver, "result")
    assert "%s = %d: result 0, read back %d" % (item["name"], value, value) in result, result
    shown = driver.execute_script("""
        const key = arguments[0];
        const row = document.getElementById("item-" + key), input = document.getElementById("control-" + key);
        return [row.querySelector(".value").textContent, input.value,
                document.getElementById("isp").textContent];""", key)
    assert shown[0] == str(value) and shown[1] == str(value), "key %d shows %s, control at %s" % (key, shown[0], shown[1])
    # What reached the ISP for the key itself carries the value (some send it among others).
    for payload in re.findall(r"\t%d\tSET\t([^\t]*)" % key, shown[2]):
        assert str(value) in payload.split(), "key %d sent %s to the ISP, not %d" % (key, payload, value)
    after = values(page_state(driver))
    followers = {i["id"] for t in page_state(driver)["tabs"] for i in t["items"] if i.get("follows", {}).get("id") == key}
    moved = {k for k in others if k != key and k not in followers and others[k] != after.get(k)}
    for refused in refused_values(item):
        status, message = post_set(driver, channel, key, refused)
        assert status == 400 and ("outside" in message or "options" in message), (key, refused, status, message)
    return after, moved, outcome


def every_control(driver, url, axe):
    """Each control of each channel set once through the page; the change
    times of all of them."""
    moved_by, times = {}, []
    for channel in (1, 2):
        driver.get(url)
        wait_for(driver, lambda d: d.find_elements(By.CSS_SELECTOR, "#tabs button"), "the tabs")
        pick(driver, "channel", channel)
        wait_for(driver, lambda d: page_state(d) and page_state(d)["channel"] == channel, "channel %d" % channel)
        for tab in page_state(driver)["tabs"]:
            driver.execute_script("document.getElementById(arguments[0]).click();", "tab-" + tab["key"])
            check_accessibility(driver, axe, "channel %d tab %s" % (channel, tab["key"]))
            others = values(page_state(driver))
            for item in [i for t in page_state(driver)["tabs"] if t["key"] == tab["key"] for i in t["items"]]:
                if item["type"] == "button" or item.get("follows"):
                    continue
                current = next(i for t in page_state(driver)["tabs"] for i in t["items"] if i["id"] == item["id"])
                others, moved, took = check_item(driver, channel, current, others)
                times.append(took)
                if moved:
                    moved_by[(channel, item["id"])] = sorted(moved)
    return moved_by, times


def check_page_rules(driver, url):
    """What the page itself refuses, linked keys, and focus across redraws."""
    driver.get(url)
    wait_for(driver, lambda d: d.find_elements(By.ID, "tab-light"), "the light tab")
    driver.find_element(By.ID, "tab-light").click()
    follower = driver.execute_script("""
        const input = document.getElementById("control-168");
        return [input.disabled, document.getElementById("note-168").textContent,
                input.value, document.getElementById("control-161").value];""")
    assert follower[0] and "follows Infrared Mode (161)" in follower[1] and follower[2] == follower[3], follower
    status, message = post_set(driver, 1, 168, 1)
    assert status == 409 and "follows Infrared Mode (161)" in message, (status, message)
    driver.find_element(By.ID, "tab-scheme").click()
    # An emptied number field sends nothing; one outside the range is refused on the page.
    sent = driver.execute_script("""
        const input = document.getElementById("control-8001"), before = page.changeTimes.length;
        input.value = ""; input.dispatchEvent(new Event("change"));
        const empty = [input.value, document.getElementById("result").textContent];
        input.value = "24"; input.dispatchEvent(new Event("change"));
        return [empty, document.getElementById("result").textContent, input.getAttribute("aria-invalid"), before];""")
    assert sent[0] == ["0", "Nothing changed yet."], sent
    assert "24 is outside 0..23" in sent[1] and sent[2] == "true", sent
    # Focus stays on the control that was changed.
    driver.find_element(By.ID, "tab-image").click()
    driver.find_element(By.ID, "control-34").click()
    change(driver, 34, 70)
    focused = driver.execute_script("return document.activeElement.id;")
    assert focused == "control-34", "focus went to " + repr(focused)
    # A value set by another client shows without a reload, focus still kept.
    post(url, "/api/set", {"channel": 1, "key": 34, "value": 33})
    wait_for(driver, lambda d: brightness_shown(d) == "33", "another client's change, pushed")
    assert driver.execute_script("return document.activeElement.id;") == "control-34"
    # Marked unsaved against the scheme's file until saved.
    assert "unsaved" in driver.find_element(By.ID, "item-34").get_attribute("class")
    assert text(driver, "unsaved") == "1 unsaved change", text(driver, "unsaved")
    driver.execute_script("document.getElementById('flush').click();")
    wait_for(driver, lambda d: text(d, "unsaved") == "" and "unsaved" not in
             d.find_element(By.ID, "item-34").get_attribute("class"), "no unsaved change after the flush")


def main():
    root = tree()
    driver = browser()
    server = Server(root, quiet=True)
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
        # A switch by the schedule, run by another client, reaches the page without a reload.
        post(server.url, "/api/clock", {"start": "05:59", "hours": 1})
        wait_for(driver, lambda d: d.find_element(By.ID, "scheme").get_attribute("value") == "3"
                 and "switched to scheme 3 at 06:00" in text(d, "scheme-note"), "the scheduled switch, pushed")
        assert text(driver, "scheme-reason") == "chosen by time", text(driver, "scheme-reason")
        driver.find_element(By.ID, "clock-run").click()
        expected = ["06:00  channel 1  scheme 3", "08:00  channel 1  scheme 1",
                    "18:00  channel 1  scheme 2", "22:00  channel 1  scheme 0"]
        wait_for(driver, lambda d: all(line in d.find_element(By.ID, "switches").get_attribute("textContent") for line in expected), "the day's switches")
        # In manual mode the same day brings no switch.
        choose(driver, "mode", 0, "manual mode: result 0")
        driver.find_element(By.ID, "clock-run").click()
        wait_for(driver, lambda d: d.find_element(By.ID, "switches").get_attribute("textContent") == "no switch",
                 "no switch in manual mode")
        server.stop()

        server = Server(tree())
        check_page_rules(driver, server.url)
        check_preview(driver, server.url)
        server.stop()
        server = Server(tree())
        check_schemes(driver, server.url)
        server.stop()
        server = Server(tree())
        driver.set_script_timeout(30)
        moved_by, times = every_control(driver, server.url, axe_script())
        # A change of one control leaves the others (its linked follower aside).
        assert not moved_by, "changes moved other values: %s" % moved_by
        # Printed, not asserted: a loaded machine slows any browser.
        print("browser test: %d changes, click to redrawn page: median %.1f ms, max %.1f ms"
              % (len(times), statistics.median(times), max(times)))
    finally:
        server.stop()
        driver.quit()
    print("browser test: passed")


main()
