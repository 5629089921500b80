// The imaging page: draws a channel's tabs from the server's state and sends
// each change back; with embedded states it is a static preview.
"use strict";

const preview = document.getElementById("preview-states");
const page = { channel: 1, tab: 0, state: null, loads: 0, previewStates: preview ? JSON.parse(preview.textContent) : null };
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

function showCalls(answer, what) {
  $("result").textContent = what + ": result " + answer.result + ("value" in answer ? ", read back " + answer.value : "");
  $("result").className = answer.result === 0 ? "" : "failed";
  $("isp").replaceChildren(...answer.isp.map((line) => element("li", { textContent: line })));
}

function control(item) {
  const send = async (value) => {
    const answer = await call("/api/set", { channel: page.channel, key: item.id, value: Number(value) });
    showCalls(answer, item.name + " = " + value);
    await load();
  };
  let input;
  if (item.type === "slider" || item.type === "number") {
    input = element("input", { type: item.type === "slider" ? "range" : "number", value: item.value });
    if ("min" in item) input.min = item.min;
    if ("max" in item) input.max = item.max;
  } else if (item.type === "button") {
    input = element("button", { type: "button", textContent: item.name });
    input.addEventListener("click", () => send(1));
    return input;
  } else if (item.options) {
    input = element("select", {}, item.options.map((o) => element("option", { value: o.index, textContent: o.text })));
    input.value = item.value;
  } else {
    input = element("input", { type: "number", value: item.value });
  }
  input.addEventListener("change", () => send(input.value));
  return input;
}

function drawItems() {
  const tab = page.state.tabs[page.tab];
  $("items").replaceChildren(...(tab ? tab.items : []).map((item) => {
    const input = control(item);
    input.disabled = Boolean(page.previewStates);
    return element("div", { className: "item", id: "item-" + item.id }, [
      element("label", { textContent: item.name }), input,
      element("span", { className: "value", textContent: item.value })]);
  }));
}

function draw() {
  const state = page.state;
  page.tab = Math.min(page.tab, state.tabs.length - 1);
  $("tabs").replaceChildren(...state.tabs.map((tab, index) => {
    const button = element("button", { type: "button", textContent: tab.name, className: index === page.tab ? "active" : "" });
    button.dataset.key = tab.key;
    button.addEventListener("click", () => { page.tab = index; draw(); });
    return button;
  }));
  const channels = [...Array(state.channels).keys()].map((i) => element("option", { value: i + 1, textContent: i + 1 }));
  $("channel").replaceChildren(...channels);
  $("channel").value = state.channel;
  const schemes = [...Array(state.schemes).keys()].map((i) => element("option", { value: i, textContent: i }));
  $("scheme").replaceChildren(...schemes);
  $("scheme").value = state.scheme;
  $("mode").value = state.mode;
  $("daynight").value = state.dayNight;
  $("clock").textContent = state.clock;
  drawItems();
}

async function load() {
  // Answers may come back out of order when changes follow quickly: only the
  // latest request may draw, or an older state would overwrite a newer one.
  const request = ++page.loads;
  const state = page.previewStates ? page.previewStates[page.channel - 1] : await call("/api/state?channel=" + page.channel);
  if (request !== page.loads) return;
  page.state = state;
  draw();
  if (!page.previewStates) await loadConsole();
}

async function loadConsole() {
  const kind = $("console-kind").value;
  const answer = await call("/api/console" + (kind ? "?kind=" + encodeURIComponent(kind) : ""));
  $("console").textContent = answer.lines.map((line) => line.text).join("\n");
  $("console").scrollTop = $("console").scrollHeight;
}

function wire() {
  $("channel").addEventListener("change", () => { page.channel = Number($("channel").value); load(); });
  if (page.previewStates) {
    $("preview-note").hidden = false;
    for (const id of ["scheme", "mode", "flush", "revert", "factory-reset", "daynight", "clock-run"]) $(id).disabled = true;
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
  $("console-kind").addEventListener("change", loadConsole);
}

window.addEventListener("unhandledrejection", (event) => {
  $("result").textContent = String(event.reason.message || event.reason);
  $("result").className = "failed";
});
wire();
load();
