// The page scripts exactly as the page must receive them, written out here so
// the tests never take them from the code they check.
#pragma once

namespace vantor::test {

inline constexpr char kExpectedPointerLockWatcher[] =
    R"js(document.addEventListener('pointerlockchange',()=>{if(document.pointerLockElement!==null){window.chrome.webview.postMessage('startHook')}else{window.chrome.webview.postMessage('stopHook')}}))js";
inline constexpr char kExpectedLoadObserver[] =
    R"js(let e=new MutationObserver(()=>{e.disconnect(),window.chrome.webview.postMessage("clientLoaded")});e.observe(document.getElementById("initLoader"),{childList:!0, subtree:!0}))js";
inline constexpr char kExpectedInputListener[] =
    R"js(window.chrome.webview.addEventListener('message',(e)=>{if(e.data.event=='mousedown')document.pointerLockElement.dispatchEvent(new MouseEvent('mousedown',{button: e.data.button}));if(e.data.event=='wheel')document.pointerLockElement.dispatchEvent(new WheelEvent('wheel',{deltaY: e.data.deltaY}));if(e.data.event=='mousemove')document.pointerLockElement.dispatchEvent(new MouseEvent('mousemove',{movementX:e.data.x,movementY:e.data.y}));});)js";
inline constexpr char kExpectedResolutionClamp[] =
    R"js(if(localStorage.getItem('qva_setngss_resolution')>1){localStorage.setItem('qva_setngss_resolution',1)};)js";
inline constexpr char kExpectedVersionBanner[] =
    R"js(termsInfo.insertAdjacentHTML("beforeend", "<div class='verticalSeparatorInline'></div><div class='terms' id='clientInfoVersion' onmouseover='SOUND.play(`tick_0`,0.1)' style='font-size: 16px; padding-left: 10px;'>Vantor 2.0.9</div>");)js";
inline constexpr char kExpectedExitButton[] =
    R"js(let exitBtn=document.getElementsByClassName("menuItem")[6],eelm=exitBtn.cloneNode(!0);eelm.attributes[2].textContent="SOUND.play(`select_0`, 0.15)",Object.assign(eelm.childNodes[3],{id:"menuBtnExit",innerText:"Exit",onclick:""}),Object.assign(eelm.childNodes[1],{innerHTML:"exit_to_app",style:"color:#ff4747"}),eelm.addEventListener("click",()=>{window.chrome.webview.postMessage(`clientExit`);}),exitBtn.insertAdjacentElement("afterend",eelm);)js";
inline constexpr char kExpectedClientButton[] =
    R"js(let sWin=document.getElementsByClassName("menuItem")[6],selm=sWin.cloneNode(!0);selm.attributes[2].textContent="SOUND.play(`select_0`, 0.15)",Object.assign(selm.childNodes[3],{id: "menuBtnClient",innerText:"Client",onclick:""}),Object.assign(selm.childNodes[1],{innerHTML:"desktop_windows",style:"color:#b447ff"}),selm.addEventListener("click",()=>{window.chrome.webview.postMessage(`clientSettings`);}),sWin.insertAdjacentElement("afterend",selm);)js";
inline constexpr char kExpectedMenuTimer[] =
    R"js(document.head.appendChild(Object.assign(document.createElement('style'),{innerText:'#uiBase.onMenu #menuTimer {align-items: center;position: absolute;top: calc(50% + 60px);left: 50%;transform: translateX(-50%);color: rgba(255,255,255,.8);font-size: 32px}'}));let timerVal=document.getElementById('timerVal');if(timerVal){const e=Object.assign(document.createElement('span'),{id:'menuTimer'});document.getElementById('menuHider').appendChild(e),new MutationObserver(()=>e.innerText=timerVal.innerText).observe(timerVal,{childList:!0})})js";

}  // namespace vantor::test
