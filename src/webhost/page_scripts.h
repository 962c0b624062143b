#pragma once

// Every script the host sends into the game's page, apart from the settings
// panel. They rely on names the game page defines (#initLoader, #termsInfo,
// #timerVal, #menuHider, .menuItem, SOUND.play, localStorage) and on
// window.chrome.webview. One line each, sent as they stand.

#include <string>

namespace vantor {

// Posts "startHook" when an element takes the pointer lock, "stopHook" when
// none holds it. Runs in every new document before the page's own scripts.
inline constexpr wchar_t kPointerLockWatcherScript[] =
    LR"js(document.addEventListener('pointerlockchange',()=>{if(document.pointerLockElement!==null){window.chrome.webview.postMessage('startHook')}else{window.chrome.webview.postMessage('stopHook')}}))js";

// Posts "clientLoaded" once, at the first change under #initLoader.
inline constexpr wchar_t kLoadObserverScript[] =
    LR"js(let e=new MutationObserver(()=>{e.disconnect(),window.chrome.webview.postMessage("clientLoaded")});e.observe(document.getElementById("initLoader"),{childList:!0, subtree:!0}))js";

// Replays the host's input messages as DOM events on the pointer-lock element.
inline constexpr wchar_t kInputListenerScript[] =
    LR"js(window.chrome.webview.addEventListener('message',(e)=>{if(e.data.event=='mousedown')document.pointerLockElement.dispatchEvent(new MouseEvent('mousedown',{button: e.data.button}));if(e.data.event=='wheel')document.pointerLockElement.dispatchEvent(new WheelEvent('wheel',{deltaY: e.data.deltaY}));if(e.data.event=='mousemove')document.pointerLockElement.dispatchEvent(new MouseEvent('mousemove',{movementX:e.data.x,movementY:e.data.y}));});)js";

// Sets a stored game resolution above 1 back to 1.
inline constexpr wchar_t kResolutionClampScript[] =
    LR"js(if(localStorage.getItem('qva_setngss_resolution')>1){localStorage.setItem('qva_setngss_resolution',1)};)js";

// The version banner, before the version text (ends with one blank).
inline constexpr wchar_t kVersionBannerPrefix[] =
    LR"js(termsInfo.insertAdjacentHTML("beforeend", "<div class='verticalSeparatorInline'></div><div class='terms' id='clientInfoVersion' onmouseover='SOUND.play(`tick_0`,0.1)' style='font-size: 16px; padding-left: 10px;'>Vantor )js";

// Adds an "Exit" entry after the seventh menu item; its click posts "clientExit".
inline constexpr wchar_t kExitMenuButtonScript[] =
    LR"js(let exitBtn=document.getElementsByClassName("menuItem")[6],eelm=exitBtn.cloneNode(!0);eelm.attributes[2].textContent="SOUND.play(`select_0`, 0.15)",Object.assign(eelm.childNodes[3],{id:"menuBtnExit",innerText:"Exit",onclick:""}),Object.assign(eelm.childNodes[1],{innerHTML:"exit_to_app",style:"color:#ff4747"}),eelm.addEventListener("click",()=>{window.chrome.webview.postMessage(`clientExit`);}),exitBtn.insertAdjacentElement("afterend",eelm);)js";

// Adds a "Client" entry after the seventh menu item; its click posts
// "clientSettings". Sent after the exit button, so it lands before it.
inline constexpr wchar_t kClientMenuButtonScript[] =
    LR"js(let sWin=document.getElementsByClassName("menuItem")[6],selm=sWin.cloneNode(!0);selm.attributes[2].textContent="SOUND.play(`select_0`, 0.15)",Object.assign(selm.childNodes[3],{id: "menuBtnClient",innerText:"Client",onclick:""}),Object.assign(selm.childNodes[1],{innerHTML:"desktop_windows",style:"color:#b447ff"}),selm.addEventListener("click",()=>{window.chrome.webview.postMessage(`clientSettings`);}),sWin.insertAdjacentElement("afterend",selm);)js";

// Mirrors #timerVal into a timer shown over the menu.
inline constexpr wchar_t kMenuTimerScript[] =
    LR"js(document.head.appendChild(Object.assign(document.createElement('style'),{innerText:'#uiBase.onMenu #menuTimer {align-items: center;position: absolute;top: calc(50% + 60px);left: 50%;transform: translateX(-50%);color: rgba(255,255,255,.8);font-size: 32px}'}));let timerVal=document.getElementById('timerVal');if(timerVal){const e=Object.assign(document.createElement('span'),{id:'menuTimer'});document.getElementById('menuHider').appendChild(e),new MutationObserver(()=>e.innerText=timerVal.innerText).observe(timerVal,{childList:!0})})js";

inline constexpr wchar_t kVersionBannerSuffix[] = LR"js(</div>");)js";

// The banner script for a version: prefix, the version unchanged, suffix.
std::wstring BuildVersionBanner(const std::wstring& version);

}  // namespace vantor
