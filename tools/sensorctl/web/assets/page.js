// The imaging page: draws a channel's tabs from the server's state and sends
// each change back; with embedded states it is a static preview.
"use strict";

const preview = document.getElementById("preview-states");
const page = {
  channel: 1, tab: 0, state: null, loads: 0, consoleSeen: -1, changeTimes: [],
  previewStates: preview ? JSON.parse(preview.textContent) : null,
};
const $ = (id) => document.getElementById(id);

async function call(path, body) {
  const options = body === undefined ? {} :
    { method: "POST", headers: { "Content-Type": "application/json" }, body: JSON.stringify(body) };
  const response = await fetch(path, options);
  const answer = await response.json();
  if (!response.ok) throw new Error(answer.error || response.statusText);
  return answer;
}

function element(tag, properties, children) {
  const node = Object.assign(document.createElement(tag), properties || {});
  for (const child of children || []) node.append(child);
  return node;
}

function showMessage(text, failed) {
  $("result").textContent = text;
  $("result").className = failed ? "failed" : "";
}

function showCalls(answer, what) {
  showMessage(what + ": result " + answer.result + ("value" in answer ? ", read back " + answer.value : ""), answer.result !== 0);
  $("isp").replaceChildren(...answer.isp.map((line) => element("li", { textContent: line })));
}

function rangeText(item) {
  if ("min" in item && "max" in item) return item.min + ".." + item.max;
  return "";
}

// Why the page does not send the text as the item's value, or "".
function refusal(item, text) {
  const value = Number(text);
  if (text.trim() === "" || !Number.isInteger(value)) return item.name + ": " + JSON.stringify(text) + " is not a whole number";
  if (("min" in item && value < item.min) || ("max" in item && value > item.max)) {
    return item.name + ": " + value + " is outside " + rangeText(item);
  }
  return "";
}

async function send(item, value) {
  const started = performance.now();
  const answer = await call("/api/set", { channel: page.channel, key: item.id, value: value });
  showCalls(answer, item.name + " = " + value);
  show(answer.state);
  page.changeTimes.push(performance.now() - started);
  loadConsole();
}

// A number field or slider; min and max go before the value, or the browser
// clamps the value to its default 0..100.
function numberInput(item) {
  const input = element("input", { type: item.type === "slider" ? "range" : "number", step: 1 });
  if ("min" in item) input.min = item.min;
  if ("max" in item) input.max = item.max;
  input.value = item.value;
  input.addEventListener("change", () => {
    // An emptied field sends nothing: the stored value stays and is shown again.
    if (input.value === "") { input.value = item.value; return; }
    const why = refusal(item, input.value);
    input.setAttribute("aria-invalid", why ? "true" : "false");
    if (why) { showMessage(why, true); return; }
    send(item, Number(input.value));
  });
  return input;
}

function menu(item) {
  const input = element("select", {}, item.options.map((o) => element("option", { value: o.index, textContent: o.text })));
  input.value = item.value;
  input.addEventListener("change", () => send(item, Number(input.value)));
  return input;
}

function control(item) {
  if (item.type === "button") {
    const button = element("button", { type: "button", textContent: item.name });
    button.addEventListener("click", () => send(item, 1));
    return button;
  }
  return item.options ? menu(item) : numberInput(item);
}

function resetButton(item) {
  const button = element("button", { type: "button", className: "reset", textContent: "Default",
    title: "Set " + item.name + " to its factory default " + item.default });
  button.setAttribute("aria-label", "Set " + item.name + " to its factory default " + item.default);
  button.disabled = item.value === item.default || Boolean(item.follows);
  button.addEventListener("click", () => send(item, item.default));
  return button;
}

// One row: label, control, value, what it allows; a follower of a linked
// key is shown with its leader's value and cannot be changed.
function row(item) {
  const input = control(item);
  input.id = "control-" + item.id;
  input.disabled = Boolean(page.previewStates) || Boolean(item.follows);
  const cells = item.type === "button"
    ? [element("span", { className: "label", textContent: "Action" }), input, element("span")]
    : [element("label", { htmlFor: input.id, textContent: item.name }), input,
      element("span", { className: "value", textContent: item.value })];
  const notes = [];
  if (item.follows) notes.push("follows " + item.follows.name + " (" + item.follows.id + ")");
  if (item.type !== "button") {
    const allowed = rangeText(item);
    notes.push((allowed ? allowed + ", " : "") + "default " + item.default);
  }
  const note = element("span", { className: "note", id: "note-" + item.id, textContent: notes.join("; ") });
  if (notes.length) input.setAttribute("aria-describedby", note.id);
  cells.push(note, item.type === "button" ? element("span") : resetButton(item));
  const unsaved = isUnsaved(item);
  if (unsaved) notes.push("unsaved: the scheme's file holds " + item.saved);
  note.textContent = notes.join("; ");
  return element("div", { className: "item" + (item.follows ? " follower" : "") + (unsaved ? " unsaved" : ""),
    id: "item-" + item.id }, cells);
}

// The picture follows every change: its address names the state's version.
function drawPreview(state) {
  if (page.previewStates) { $("preview").hidden = true; return; }
  const source = "/api/preview.png?channel=" + state.channel + "&version=" + state.version;
  if ($("preview").getAttribute("src") !== source) $("preview").src = source;
}

// A value the current scheme's file does not hold yet: lost on a stop without "Save".
function isUnsaved(item) {
  return "saved" in item && "value" in item && !item.follows && item.saved !== item.value;
}

function unsavedCount() {
  return page.state ? page.state.tabs.flatMap((tab) => tab.items).filter(isUnsaved).length : 0;
}

function drawItems() {
  const tab = page.state.tabs[page.tab];
  $("items").replaceChildren(...(tab ? tab.items : []).map(row));
}

// Redraws replace the rows; focus goes back to the element of the same id.
function keepingFocus(draw) {
  const focused = document.activeElement && document.activeElement.id;
  draw();
  if (focused && document.activeElement.id !== focused && $(focused)) $(focused).focus();
}

function draw() {
  const state = page.state;
  page.tab = Math.min(page.tab, state.tabs.length - 1);
  $("tabs").replaceChildren(...state.tabs.map((tab, index) => {
    const button = element("button", { type: "button", id: "tab-" + tab.key, textContent: tab.name,
      className: index === page.tab ? "active" : "" });
    button.setAttribute("aria-pressed", index === page.tab ? "true" : "false");
    button.dataset.key = tab.key;
    button.addEventListener("click", () => { page.tab = index; keepingFocus(draw); });
    return button;
  }));
  const channels = [...Array(state.channels).keys()].map((i) => element("option", { value: i + 1, textContent: i + 1 }));
  $("channel").replaceChildren(...channels);
  $("channel").value = state.channel;
  const schemes = [...Array(state.schemes).keys()].map((i) => element("option", { value: i, textContent: i }));
  $("scheme").replaceChildren(...schemes);
  for (const id of ["compare-first", "compare-second"]) {
    const chosen = $(id).value;
    $(id).replaceChildren(...[...Array(state.schemes).keys()].map((i) => element("option", { value: i, textContent: i })));
    $(id).value = chosen || (id === "compare-first" ? 0 : Math.min(1, state.schemes - 1));
  }
  $("scheme").value = state.scheme;
  $("scheme-reason").textContent = state.schemeReason === "manual" ? "chosen by hand" : "chosen by " + state.schemeReason;
  $("mode").value = state.mode;
  $("daynight").value = state.dayNight;
  $("clock").textContent = state.clock;
  drawPreview(state);
  const unsaved = unsavedCount();
  $("unsaved").textContent = unsaved ? unsaved + " unsaved change" + (unsaved > 1 ? "s" : "") : "";
  drawItems();
}

async function load() {
  // Answers may come back out of order when changes follow quickly: only the
  // latest request may draw, or an older state would overwrite a newer one.
  const request = ++page.loads;
  const state = page.previewStates ? page.previewStates[page.channel - 1] : await call("/api/state?channel=" + page.channel);
  if (request !== page.loads) return;
  show(state);
  if (!page.previewStates) loadConsole();
}

// A state that came with an answer; loads still under way may not draw over it.
function show(state) {
  ++page.loads;
  page.state = state;
  keepingFocus(draw);
}

// Only the lines after the last one seen are fetched.
async function loadConsole() {
  const kind = $("console-kind").value;
  const answer = await call("/api/console?after=" + page.consoleSeen + (kind ? "&kind=" + encodeURIComponent(kind) : ""));
  if (kind !== $("console-kind").value || answer.lines.length === 0) return;
  const last = answer.lines[answer.lines.length - 1].seq;
  if (last <= page.consoleSeen) return;
  const fresh = answer.lines.filter((line) => line.seq > page.consoleSeen);
  page.consoleSeen = last;
  const text = fresh.map((line) => line.text).join("\n");
  $("console").textContent += ($("console").textContent ? "\n" : "") + text;
  $("console").scrollTop = $("console").scrollHeight;
}

function restartConsole() {
  page.consoleSeen = -1;
  $("console").textContent = "";
  loadConsole();
}

function wire() {
  $("channel").addEventListener("change", () => { page.channel = Number($("channel").value); load(); });
  if (page.previewStates) {
    $("preview-note").hidden = false;
    for (const id of ["scheme", "mode", "flush", "revert", "factory-reset", "daynight", "clock-run", "compare-run", "export",
      "import"]) {
      $(id).disabled = true;
    }
    return;
  }
  $("scheme").addEventListener("change", async () => {
    // Read the choice now: a redraw during the call resets the select.
    const scheme = Number($("scheme").value);
    showCalls(await call("/api/scheme", { channel: page.channel, scheme: scheme }), "scheme " + scheme);
    await load();
  });
  for (const action of ["flush", "revert", "factory-reset"]) {
    $(action).addEventListener("click", async () => {
      if (action === "factory-reset" && !window.confirm("Reset every setting of channel " + page.channel + " to the factory defaults?")) return;
      showCalls(await call("/api/action", { channel: page.channel, action: action }), action);
      await load();
    });
  }
  $("mode").addEventListener("change", async () => {
    const mode = Number($("mode").value);
    showCalls(await call("/api/mode", { channel: page.channel, mode: mode }), mode === 0 ? "manual mode" : "automatic mode");
    await load();
  });
  $("daynight").addEventListener("change", async () => {
    showCalls(await call("/api/daynight", { channel: page.channel, state: Number($("daynight").value) }), "day/night");
    await load();
  });
  $("clock-form").addEventListener("submit", async (event) => {
    event.preventDefault();
    const answer = await call("/api/clock", { start: $("clock-start").value, hours: Number($("clock-hours").value) });
    $("switches").replaceChildren(...answer.switches.map((s) =>
      element("li", { textContent: s.time + "  channel " + s.channel + "  scheme " + s.scheme })));
    if (answer.switches.length === 0) $("switches").replaceChildren(element("li", { textContent: "no switch" }));
    await load();
  });
  $("console-kind").addEventListener("change", restartConsole);
  $("compare-form").addEventListener("submit", async (event) => {
    event.preventDefault();
    const answer = await call("/api/compare?channel=" + page.channel + "&first=" + $("compare-first").value +
      "&second=" + $("compare-second").value);
    $("compare-first-head").textContent = "scheme " + answer.first;
    $("compare-second-head").textContent = "scheme " + answer.second;
    $("compare-caption").textContent = answer.differences.length + " keys differ";
    $("compare-rows").replaceChildren(...answer.differences.map((d) => element("tr", { className: "differs" },
      [d.id, d.name, d.first, d.second].map((cell) => element("td", { textContent: cell })))));
    $("compare").hidden = false;
  });
  $("export").addEventListener("click", async () => {
    const answer = await call("/api/export?channel=" + page.channel);
    $("pairs").value = answer.text;
    showMessage("scheme " + answer.scheme + " exported", false);
  });
  $("import").addEventListener("click", async () => {
    showCalls(await call("/api/import", { channel: page.channel, text: $("pairs").value.trim() }), "import");
    await load();
  });
}

// Changes made elsewhere (another page, the simulated clock) and new console
// lines arrive as server-sent events; the page redraws without a reload.
function listen() {
  const events = new EventSource("/api/events");
  events.addEventListener("message", (message) => {
    const event = JSON.parse(message.data);
    if (event.type === "console") loadConsole();
    if (event.type === "scheme" && event.channel === page.channel) {
      $("scheme-note").textContent = "switched to scheme " + event.scheme + " at " + event.time;
    }
    if (event.type === "changed" && page.state && event.version > page.state.version) load();
  });
}

window.addEventListener("beforeunload", (event) => {
  if (unsavedCount() > 0) event.preventDefault();
});
window.addEventListener("unhandledrejection", (event) => showMessage(String(event.reason.message || event.reason), true));
wire();
load();
if (!page.previewStates) listen();
