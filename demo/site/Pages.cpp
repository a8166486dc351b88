#include "Pages.h"

#include <initializer_list>
#include <utility>

#include "../DemoKeys.h"
#include "Servers.h"

namespace demo {
namespace {

// Replaces every {{NAME}} of the template by its value in one pass, so inserted values are never
// searched again (values are inserted already escaped).
std::string Fill(const std::string& text,
                 std::initializer_list<std::pair<const char*, std::string>> values) {
  std::string out;
  size_t from = 0;
  for (size_t at = text.find("{{"); at != std::string::npos; at = text.find("{{", from)) {
    out.append(text, from, at - from);
    const size_t end = text.find("}}", at + 2);
    const std::pair<const char*, std::string>* match = nullptr;
    if (end != std::string::npos) {
      const std::string name = text.substr(at + 2, end - at - 2);
      for (const auto& value : values) {
        if (name == value.first) match = &value;
      }
    }
    if (match) {
      out += match->second;
      from = end + 2;
    } else {
      out += "{{";
      from = at + 2;
    }
  }
  out.append(text, from, std::string::npos);
  return out;
}

// Shared look: deep crimson and gold, never pure black (the launcher keys black out).
const char kBaseStyle[] = R"CSS(
html,body{margin:0;padding:0;height:100%;overflow:hidden}
body{font-family:"Noto Sans CJK SC","Microsoft YaHei","WenQuanYi Micro Hei",sans-serif;font-size:13px;
 color:#f1e3c0;background:radial-gradient(ellipse at 25% 15%,#4a1626 0%,#220b14 55%,#12070b 100%);
 user-select:none}
a{color:#ffd479;text-decoration:none}
.panel{background:linear-gradient(180deg,rgba(90,24,36,.78),rgba(40,12,20,.86));border:1px solid #8a6a2f;
 border-radius:10px;box-shadow:0 6px 18px rgba(12,4,6,.6),inset 0 1px 0 rgba(255,220,150,.18)}
h1,h2,h3{margin:0;font-weight:700;color:#ffd98a;letter-spacing:1px}
.btn{display:inline-block;padding:6px 12px;border-radius:6px;border:1px solid #c99a44;cursor:pointer;
 color:#2b1206;font-weight:700;background:linear-gradient(180deg,#ffe3a1,#e0a94a 55%,#b9782a);font:inherit;font-weight:700}
.btn:hover{filter:brightness(1.12)}
.btn:active{transform:translateY(1px)}
.btn.ghost{background:linear-gradient(180deg,#5a2332,#3a1420);color:#f6d99a}
input{font:inherit;color:#f6e7c6;background:#2a0f18;border:1px solid #7a5a2a;border-radius:5px;padding:5px 8px;
 outline:none}
input:focus{border-color:#ffd479}
)CSS";

}  // namespace

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string JsString(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      // Keeps "</script>" and "<!--" from ending or changing the script element.
      case '<': out += "\\u003c"; break;
      case '>': out += "\\u003e"; break;
      case '&': out += "\\u0026"; break;
      default:
        if (c < 0x20) {
          static const char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0x0F];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  // U+2028 and U+2029 end lines in older script engines.
  for (size_t at = out.find("\xE2\x80\xA8"); at != std::string::npos; at = out.find("\xE2\x80\xA8"))
    out.replace(at, 3, "\\u2028");
  for (size_t at = out.find("\xE2\x80\xA9"); at != std::string::npos; at = out.find("\xE2\x80\xA9"))
    out.replace(at, 3, "\\u2029");
  return out + "\"";
}

bool IsLocalAddress(const std::string& address) {
  if (address.size() >= 1 && address[0] == '/')
    return address.size() == 1 || (address[1] != '/' && address[1] != '\\');
  for (const char* host : {"http://127.0.0.1", "http://localhost"}) {
    const std::string prefix = host;
    if (address.compare(0, prefix.size(), prefix) == 0) {
      return address.size() == prefix.size() || address[prefix.size()] == ':' ||
             address[prefix.size()] == '/';
    }
  }
  return false;
}

std::string LoginPage(const std::string& autoUrl, int delayMs) {
  std::string servers;
  for (const DemoServer& server : DemoServers()) {
    servers += Fill(R"(<a class="server" href="{{HREF}}" data-skey="{{KEY}}">
  <span class="dot"></span><span class="sname">{{NAME}}</span>
  <span class="sline">{{LABEL}}</span><span class="tag">{{TAG}}</span></a>
)",
                    {{"HREF", HtmlEscape(GameAddress(server, "demo"))},
                     {"KEY", HtmlEscape(server.key)},
                     {"NAME", HtmlEscape(server.name)},
                     {"LABEL", HtmlEscape(server.label)},
                     {"TAG", HtmlEscape(server.tag)}});
  }
  const std::string qqRedirect =
      std::string("?redirect_uri=") + kGameHeader + "&serverid=12&skey=1012&uid=qq";
  static const char kPage[] = R"HTML(<!doctype html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>龙域传说 · 登录</title>
<style>{{STYLE}}
.wrap{display:flex;gap:16px;padding:16px;height:100%;box-sizing:border-box}
.login{width:236px;padding:16px;display:flex;flex-direction:column;gap:10px}
.login h2{font-size:18px}
.login label{font-size:12px;color:#d8bf8a}
.login input{width:100%;box-sizing:border-box}
.welcome{display:none;color:#9fe29a;font-weight:700}
.qq{margin-top:auto;border-top:1px solid rgba(201,154,68,.35);padding-top:10px;font-size:12px}
.qq a{display:inline-block;margin:4px 6px 0 0;padding:4px 8px;border-radius:5px;background:#1f5fa8;color:#eef6ff}
.list{flex:1;padding:14px 16px;display:flex;flex-direction:column}
.list h2{font-size:16px;margin-bottom:10px}
.grid{display:grid;grid-template-columns:1fr 1fr;gap:10px}
.server{display:grid;grid-template-columns:14px 1fr auto;grid-template-rows:auto auto;align-items:center;
 padding:10px 12px;border-radius:8px;border:1px solid #6d4c22;color:#f6e2b5;
 background:linear-gradient(180deg,#5c2030,#3b1220);transition:transform .12s,border-color .12s}
.server:hover{border-color:#ffd479;transform:translateY(-2px)}
.dot{width:9px;height:9px;border-radius:50%;background:#5fe07a;box-shadow:0 0 6px #5fe07a;grid-row:1/3}
.sname{font-size:15px;font-weight:700}
.sline{grid-column:2;font-size:11px;color:#c7a66b}
.tag{grid-row:1/3;grid-column:3;font-size:11px;padding:2px 6px;border-radius:10px;background:#b9782a;color:#2b1206}
.note{margin-top:auto;font-size:11px;color:#a88a5a}
</style></head><body>
<div class="wrap">
 <form class="login panel" id="login" onsubmit="return doLogin()">
  <h2>账号登录</h2>
  <label for="user">账号</label><input id="user" value="demo" autocomplete="off">
  <label for="pass">密码</label><input id="pass" type="password" value="demo1234" autocomplete="current-password">
  <button class="btn" type="submit">登 录</button>
  <div class="welcome" id="welcome">欢迎回来，demo！请选择服务器。</div>
  <div class="qq">其他方式登录<br>
   <a id="qq-graph" href="{{QQGRAPH}}">QQ 授权登录</a><a id="qq-xlogin" href="{{QQXLOGIN}}">QQ 快速登录</a></div>
 </form>
 <div class="list panel">
  <h2>选择服务器</h2>
  <div class="grid">{{SERVERS}}</div>
  <div class="note">演示运营站 · 仅在本机 127.0.0.1 提供服务</div>
 </div>
</div>
<script>
function doLogin(){document.getElementById('welcome').style.display='block';return false;}
(function(){var target={{AUTO}};
 if(target){window.addEventListener('load',function(){setTimeout(function(){location.href=target;},{{DELAY}});});}})();
</script>
</body></html>
)HTML";
  return Fill(kPage, {{"STYLE", kBaseStyle},
                      {"SERVERS", servers},
                      {"QQGRAPH", HtmlEscape(kQqGraphPath + qqRedirect)},
                      {"QQXLOGIN", HtmlEscape(kQqXloginPath + qqRedirect)},
                      {"AUTO", JsString(IsLocalAddress(autoUrl) ? autoUrl : "")},
                      {"DELAY", std::to_string(delayMs < 0 ? 0 : delayMs)}});
}

std::string QqLoginPage(int kind, bool autoFollow) {
  const DemoServer& server = DemoServers()[1];
  static const char kPage[] = R"HTML(<!doctype html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>QQ登录</title>
<style>
html,body{margin:0;height:100%;overflow:hidden;font-family:"Noto Sans CJK SC","Microsoft YaHei",sans-serif;
 background:linear-gradient(180deg,#e9f3ff,#cfe3fb);color:#233}
.box{width:300px;margin:34px auto 0;background:#fff;border-radius:8px;border:1px solid #b8d3f2;
 box-shadow:0 6px 20px rgba(30,80,140,.2);padding:18px 22px}
.head{display:flex;align-items:center;gap:10px;margin-bottom:12px}
.penguin{width:34px;height:34px;border-radius:50%;background:radial-gradient(circle at 50% 60%,#fff 0 38%,#1b2a3a 40%);
 border:2px solid #f5b400}
h1{font-size:17px;margin:0;color:#1f5fa8}
input{width:100%;box-sizing:border-box;margin:5px 0;padding:7px;border:1px solid #b8d3f2;border-radius:4px}
.go{display:block;text-align:center;margin-top:10px;padding:8px;border-radius:4px;background:#1f8ff0;color:#fff;
 text-decoration:none;font-weight:700}
.hint{font-size:11px;color:#678;margin-top:10px}
</style></head><body>
<div class="box">
 <div class="head"><div class="penguin"></div><h1>{{TITLE}}</h1></div>
 <form onsubmit="return false"><input value="10001" aria-label="QQ号" autocomplete="username">
 <input type="password" value="••••••" aria-label="密码" autocomplete="current-password"></form>
 <a class="go" id="enter" href="{{HREF}}">授权并进入 {{SERVER}}</a>
 <div class="hint">演示用的仿 QQ 登录页（{{HOST}}），客户端不应把它当作游戏地址。</div>
</div>
<script>
(function(){var go={{AUTO}};if(go){window.addEventListener('load',function(){
 setTimeout(function(){location.href=document.getElementById('enter').href;},100);});}})();
</script>
</body></html>
)HTML";
  return Fill(kPage, {{"TITLE", kind == 1 ? "QQ 授权登录" : "QQ 快速登录"},
                      {"HOST", kind == 1 ? "graph.qq.com" : "xui.ptlogin2.qq.com"},
                      {"HREF", HtmlEscape(GameAddress(server, "qq"))},
                      {"SERVER", HtmlEscape(server.name)},
                      {"AUTO", autoFollow ? "true" : "false"}});
}

std::string GamePage(const std::string& serverKey, const std::string& uid,
                     const std::string& script) {
  const DemoServer* server = FindServerByKey(serverKey);
  const std::string serverName = server ? server->name : "未知服务器";
  static const char kPage[] = R"HTML(<!doctype html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>龙域传说</title>
<style>{{STYLE}}
body{display:flex;flex-direction:column}
.top{display:flex;align-items:center;gap:14px;padding:6px 12px;background:linear-gradient(180deg,#3b1220,#2a0c16);
 border-bottom:1px solid #8a6a2f;font-size:12px}
.top b{color:#ffd98a}
.main{flex:1;display:flex;min-height:0}
#stage{flex:1;position:relative;min-width:0}
canvas{position:absolute;left:0;top:0;width:100%;height:100%;display:block}
.side{width:300px;display:flex;flex-direction:column;gap:8px;padding:10px;box-sizing:border-box;
 background:linear-gradient(180deg,#2c0f19,#1c0910);border-left:1px solid #6d4c22;min-height:0}
.side h3{font-size:13px;border-bottom:1px solid rgba(201,154,68,.4);padding-bottom:4px}
.row{display:flex;gap:6px;align-items:center;flex-wrap:wrap}
.row input{flex:1;min-width:0}
.side .btn{padding:4px 8px;font-size:12px}
#log{flex:1;overflow-y:auto;margin:0;padding:6px;list-style:none;font:11px/1.45 "DejaVu Sans Mono",monospace;
 background:#16070c;border:1px solid #4f3418;border-radius:6px;min-height:60px}
#log li{border-bottom:1px dotted #3a2412;padding:1px 0;word-break:break-all}
#log .in{color:#8fe3ff}#log .out{color:#ffd479}#log .err{color:#ff8b7a}#log .sys{color:#a6e39a}
</style></head><body>
<div class="top"><b>龙域传说</b><span>服务器：<b id="server">{{SERVER}}</b></span>
 <span>玩家：<b id="uid">{{UID}}</b></span><span>得分：<b id="score">0</b></span>
 <span style="margin-left:auto;color:#c7a66b">右键点击画面：客户端会把位置报告给页面</span></div>
<div class="main">
 <div id="stage"><canvas id="game"></canvas></div>
 <div class="side">
  <h3>客户端指令 JsCallClient</h3>
  <div class="row">
   <button class="btn" id="cmd1" onclick="cmd('1')">1 关闭</button>
   <button class="btn" id="cmd2" onclick="cmd('2')">2 重启</button>
   <button class="btn ghost" id="cmd3" onclick="cmd('3')">3</button>
   <button class="btn ghost" id="cmd5" onclick="cmd('5')">5</button>
   <button class="btn ghost" id="cmdnum" onclick="callExternal('JsCallClient',[1])" title="数字 1：不是文本，不应生效">数字1</button>
  </div>
  <div class="row"><input id="p4" value="{{PAYURL}}"><button class="btn" id="cmd4" onclick="cmd('4',val('p4'))">4 改链接</button></div>
  <div class="row"><input id="p6" value="S2 跨服战场"><button class="btn" id="cmd6" onclick="cmd('6',val('p6'))">6 改标题</button></div>
  <h3>GM 与其它</h3>
  <div class="row"><input id="gm" value="客服小美"><button class="btn" id="gsname" onclick="callExternal('getGsName',[val('gm')])">getGsName</button></div>
  <div class="row">
   <button class="btn" id="newmsg" onclick="callExternal('getNewMsg',[])">getNewMsg</button>
   <button class="btn" id="is360" onclick="callExternal('Is360Game',[])">Is360Game</button>
   <button class="btn ghost" onclick="clearLog()">清空日志</button>
  </div>
  <h3>桥接日志</h3>
  <ul id="log"></ul>
 </div>
</div>
<script>
var demoState={reports:[],calls:[],scriptDone:false};
var ripples=[];
function val(id){return document.getElementById(id).value;}
function fmt(args){return args.map(function(a){return JSON.stringify(a);}).join(', ');}
function logLine(kind,text){
 var li=document.createElement('li');li.className=kind;
 var t=new Date();li.textContent=('0'+t.getMinutes()).slice(-2)+':'+('0'+t.getSeconds()).slice(-2)+' '+text;
 var log=document.getElementById('log');log.insertBefore(li,log.firstChild);
 while(log.childNodes.length>200)log.removeChild(log.lastChild);}
function clearLog(){document.getElementById('log').innerHTML='';}
// Every call to the client goes through here, so a page without window.external still runs.
function callExternal(name,args){
 var ext=window.external;
 if(!ext||typeof ext[name]!=='function'){
  demoState.calls.push({name:name,args:args,ok:false});
  logLine('err',name+'('+fmt(args)+'): window.external 不提供此方法');return false;}
 try{ext[name].apply(ext,args);demoState.calls.push({name:name,args:args,ok:true});
  logLine('out',name+'('+fmt(args)+')');return true;}
 catch(e){demoState.calls.push({name:name,args:args,ok:false});logLine('err',name+' 失败：'+e);return false;}}
// Commands 4 and 6 read their parameter from the next-to-last argument.
function cmd(c,p){return callExternal('JsCallClient',p===undefined?[c]:[c,p,'']);}
// Reports from the client: "2"/"3" right button down/up with x, y, shift.
function clientCallJs(){
 var a=Array.prototype.slice.call(arguments);demoState.reports.push(['clientCallJs'].concat(a));
 logLine('in','clientCallJs('+fmt(a)+')');
 if((a[0]==='2'||a[0]==='3')&&a.length>=3){ripples.push({x:+a[1],y:+a[2],down:a[0]==='2',age:0});}
 return true;}
function isReady(){demoState.reports.push(['isReady']);logLine('in','isReady()');return true;}
function runScript(list){
 var i=0;
 function step(){
  if(i>=list.length){demoState.scriptDone=true;logLine('sys','脚本完成');return;}
  var c=list[i++];
  if(!Array.isArray(c)||!c.length){step();return;}
  var name=String(c[0]),args=c.slice(1);
  if(name==='wait'){setTimeout(step,Number(args[0])||0);return;}
  if(name==='nav'){var to=String(args[0]);
   if(/^\/(?![\/\\])/.test(to)||/^http:\/\/(127\.0\.0\.1|localhost)([:\/]|$)/.test(to)){location.href=to;return;}
   logLine('err','nav 只接受本机地址：'+to);step();return;}
  callExternal(name,args);setTimeout(step,0);}
 step();}
(function(){
 var canvas=document.getElementById('game'),ctx=canvas.getContext('2d');
 var W=0,H=0,stars=[],gems=[],hero={x:200,y:160,tx:200,ty:160},trail=[],score=0,mouseAt=-1e9,t0=performance.now();
 function resize(){var r=canvas.parentNode.getBoundingClientRect();W=canvas.width=Math.max(1,r.width|0);H=canvas.height=Math.max(1,r.height|0);}
 window.addEventListener('resize',resize);resize();
 var seed=7;function rnd(){seed=(seed*16807)%2147483647;return seed/2147483647;}
 for(var i=0;i<90;i++)stars.push({x:rnd(),y:rnd(),r:rnd()*1.6+.3,p:rnd()*6.28});
 function spawn(){gems.push({x:30+rnd()*(W-60),y:30+rnd()*(H-60),p:rnd()*6.28,h:rnd()<.5?45:190});}
 for(var g=0;g<6;g++)spawn();
 canvas.addEventListener('mousemove',function(e){var r=canvas.getBoundingClientRect();hero.tx=e.clientX-r.left;hero.ty=e.clientY-r.top;mouseAt=performance.now();});
 canvas.addEventListener('contextmenu',function(e){e.preventDefault();});
 function frame(now){
  var t=(now-t0)/1000;
  if(now-mouseAt>1500){hero.tx=W/2+Math.cos(t*.7)*W*.32;hero.ty=H/2+Math.sin(t*1.3)*H*.3;}
  hero.x+=(hero.tx-hero.x)*.08;hero.y+=(hero.ty-hero.y)*.08;
  trail.push({x:hero.x,y:hero.y});if(trail.length>24)trail.shift();
  var sky=ctx.createLinearGradient(0,0,0,H);sky.addColorStop(0,'#1b0a2e');sky.addColorStop(1,'#3a1020');
  ctx.fillStyle=sky;ctx.fillRect(0,0,W,H);
  stars.forEach(function(s){ctx.globalAlpha=.45+.55*Math.abs(Math.sin(t*1.5+s.p));ctx.fillStyle='#fff3d6';
   ctx.beginPath();ctx.arc(s.x*W,s.y*H,s.r,0,6.283);ctx.fill();});
  ctx.globalAlpha=1;
  ctx.fillStyle='#2a0d1a';ctx.beginPath();ctx.moveTo(0,H);
  for(var x=0;x<=W;x+=20)ctx.lineTo(x,H-40-Math.sin(x*.012+1)*22-Math.sin(x*.031)*10);ctx.lineTo(W,H);ctx.fill();
  for(var k=gems.length-1;k>=0;k--){var gm=gems[k],bob=Math.sin(t*3+gm.p)*4;
   ctx.save();ctx.translate(gm.x,gm.y+bob);ctx.rotate(t+gm.p);ctx.fillStyle='hsl('+gm.h+',90%,60%)';
   ctx.shadowColor=ctx.fillStyle;ctx.shadowBlur=12;ctx.beginPath();ctx.moveTo(0,-9);ctx.lineTo(7,0);ctx.lineTo(0,9);ctx.lineTo(-7,0);ctx.closePath();ctx.fill();ctx.restore();
   if(Math.hypot(gm.x-hero.x,gm.y-hero.y)<20){gems.splice(k,1);score+=10;document.getElementById('score').textContent=score;spawn();}}
  trail.forEach(function(p,n){ctx.globalAlpha=n/trail.length*.5;ctx.fillStyle='#ffb347';ctx.beginPath();ctx.arc(p.x,p.y,3+n*.35,0,6.283);ctx.fill();});
  ctx.globalAlpha=1;var glow=ctx.createRadialGradient(hero.x,hero.y,2,hero.x,hero.y,18);
  glow.addColorStop(0,'#fff7d0');glow.addColorStop(.5,'#ffc04a');glow.addColorStop(1,'rgba(255,120,40,0)');
  ctx.fillStyle=glow;ctx.beginPath();ctx.arc(hero.x,hero.y,18,0,6.283);ctx.fill();
  for(var r=ripples.length-1;r>=0;r--){var rp=ripples[r];rp.age+=1/60;
   var rr=canvas.getBoundingClientRect(),px=rp.x-rr.left,py=rp.y-rr.top;
   ctx.strokeStyle=rp.down?'rgba(143,227,255,'+(1-rp.age)+')':'rgba(255,212,121,'+(1-rp.age)+')';ctx.lineWidth=2;
   ctx.beginPath();ctx.arc(px,py,6+rp.age*30,0,6.283);ctx.stroke();if(rp.age>=1)ripples.splice(r,1);}
  requestAnimationFrame(frame);}
 requestAnimationFrame(frame);})();
(function(){var p4=document.getElementById('p4');if(p4.value.charAt(0)==='/')p4.value=location.origin+p4.value;})();
window.addEventListener('load',function(){
 logLine('sys','游戏页面已载入；window.external '+(window.external&&typeof window.external.JsCallClient==='function'?'可用':'不可用'));
 var s={{SCRIPT}};
 if(s){try{runScript(JSON.parse(s));}catch(e){logLine('err','脚本无法解析：'+e);}}
});
</script>
</body></html>
)HTML";
  return Fill(kPage, {{"STYLE", kBaseStyle},
                      {"SERVER", HtmlEscape(serverName)},
                      {"UID", HtmlEscape(uid.empty() ? "demo" : uid)},
                      {"PAYURL", HtmlEscape("/pay?from=game;server=" + serverKey)},
                      {"SCRIPT", JsString(script)}});
}

std::string ChatPage(const std::string& gmName, int newMsgAfterMs) {
  static const char kPage[] = R"HTML(<!doctype html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>GM 在线客服</title>
<style>{{STYLE}}
body{display:flex;flex-direction:column}
.head{display:flex;align-items:center;gap:8px;padding:8px 10px;background:linear-gradient(180deg,#5c2030,#3b1220);
 border-bottom:1px solid #8a6a2f}
.avatar{width:26px;height:26px;border-radius:50%;background:radial-gradient(circle at 35% 35%,#ffe7ad,#c9822e)}
.online{font-size:11px;color:#9fe29a}
#msgs{flex:1;overflow-y:auto;padding:8px 10px;display:flex;flex-direction:column;gap:6px}
.m{max-width:78%;padding:6px 9px;border-radius:8px;line-height:1.4}
.gm{background:#4a1a28;border:1px solid #7a5a2a;align-self:flex-start}
.me{background:#7a5a2a;color:#fff4d8;align-self:flex-end}
.bar{display:flex;gap:6px;padding:8px;border-top:1px solid #6d4c22}
.bar input{flex:1}
</style></head><body>
<div class="head"><div class="avatar"></div><b id="gmname"></b><span class="online">● 在线</span>
 <button class="btn ghost" id="announce" style="margin-left:auto;padding:3px 8px;font-size:11px" onclick="gmSays('您有一条新消息。')">模拟新消息</button></div>
<div id="msgs"></div>
<form class="bar" onsubmit="return send()"><input id="text" placeholder="输入要咨询的问题…" autocomplete="off">
 <button class="btn" type="submit">发送</button></form>
<script>
var gmName={{GMNAME}};
var chatState={calls:[]};
function callExternal(name,args){
 var ext=window.external;
 if(!ext||typeof ext[name]!=='function'){chatState.calls.push({name:name,ok:false});return false;}
 try{ext[name].apply(ext,args);chatState.calls.push({name:name,ok:true});return true;}
 catch(e){chatState.calls.push({name:name,ok:false});return false;}}
function add(cls,text){var d=document.createElement('div');d.className='m '+cls;d.textContent=text;
 var box=document.getElementById('msgs');box.appendChild(d);box.scrollTop=box.scrollHeight;}
function gmSays(text){add('gm',text);callExternal('getNewMsg',[]);}
function send(){var i=document.getElementById('text');if(i.value){add('me',i.value);i.value='';
 setTimeout(function(){gmSays('收到，我们马上为您处理。');},1200);}return false;}
document.getElementById('gmname').textContent=gmName;
add('gm','您好，我是'+gmName+'，有什么可以帮您？');
window.addEventListener('load',function(){
 callExternal('getGsName',[gmName]);
 var after={{NEWMSG}};
 if(after>=0)setTimeout(function(){gmSays('新版本活动已开启，祝您游戏愉快！');},after);});
</script>
</body></html>
)HTML";
  return Fill(kPage, {{"STYLE", kBaseStyle},
                      {"GMNAME", JsString(gmName)},
                      {"NEWMSG", std::to_string(newMsgAfterMs)}});
}

std::string InfoPage(const std::string& title, const std::string& text) {
  static const char kPage[] = R"HTML(<!doctype html>
<html lang="zh-CN"><head><meta charset="utf-8"><title>{{TITLE}}</title>
<style>{{STYLE}}
html,body{overflow:auto}.box{max-width:560px;margin:40px auto;padding:24px}
</style></head><body><div class="box panel"><h1>{{TITLE}}</h1><p>{{TEXT}}</p>
<p><a href="/login">返回登录页</a></p></div></body></html>
)HTML";
  return Fill(kPage, {{"STYLE", kBaseStyle}, {"TITLE", HtmlEscape(title)},
                      {"TEXT", HtmlEscape(text)}});
}

}  // namespace demo
