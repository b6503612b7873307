<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>AddrDlg</name>
    <message>
        <source>更改子机地址</source>
        <translation>Change slave address</translation>
    </message>
    <message>
        <source>更改子机地址：</source>
        <translation>New slave address:</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>AnalogBlock</name>
    <message>
        <source> 输出参数选择</source>
        <translation> Output quantity</translation>
    </message>
    <message>
        <source>列表中的一项</source>
        <translation>an item of the list</translation>
    </message>
</context>
<context>
    <name>CAnalogOutDlg</name>
    <message>
        <source>电流输出1路</source>
        <translation>Current output 1</translation>
    </message>
    <message>
        <source>电流输出2路</source>
        <translation>Current output 2</translation>
    </message>
    <message>
        <source>电流输出参数设置</source>
        <translation>Current output settings</translation>
    </message>
    <message>
        <source>模块名称</source>
        <translation>Module</translation>
    </message>
    <message>
        <source>2AO(4-20mA)模块1#</source>
        <translation>2AO (4-20mA) module 1#</translation>
    </message>
    <message>
        <source>2AO(4-20mA)模块2#</source>
        <translation>2AO (4-20mA) module 2#</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>输出参数选择</source>
        <translation>Output quantity</translation>
    </message>
    <message>
        <source>单位</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>请先在“模块名称”中选择一个模块。
参数未发送。</source>
        <translation>Select a module under &quot;Module&quot; first.
Nothing was sent.</translation>
    </message>
</context>
<context>
    <name>CModuleSetDlg</name>
    <message>
        <source>控制方式</source>
        <translation>Control mode</translation>
    </message>
    <message>
        <source>启动值</source>
        <translation>Operate value</translation>
    </message>
    <message>
        <source>复归值</source>
        <translation>Reset value</translation>
    </message>
    <message>
        <source>启动延时</source>
        <translation>Operate delay</translation>
    </message>
    <message>
        <source>复归延时</source>
        <translation>Reset delay</translation>
    </message>
    <message>
        <source>脉冲宽度</source>
        <translation>Pulse width</translation>
    </message>
    <message>
        <source>继电器OUT1</source>
        <translation>Relay OUT1</translation>
    </message>
    <message>
        <source>继电器OUT2</source>
        <translation>Relay OUT2</translation>
    </message>
    <message>
        <source>2DI/2DO 模块%1#</source>
        <translation>2DI/2DO module %1#</translation>
    </message>
    <message>
        <source>RD5800模块参数设置-Velmora</source>
        <translation>RD5800 module settings - Velmora</translation>
    </message>
    <message>
        <source>模块名称</source>
        <translation>Module</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>启动值单位</source>
        <translation>Operate value unit</translation>
    </message>
    <message>
        <source>复归值单位</source>
        <translation>Reset value unit</translation>
    </message>
    <message>
        <source>请先在“模块名称”中选择一个模块。
参数未发送。</source>
        <translation>Select a module under &quot;Module&quot; first.
Nothing was sent.</translation>
    </message>
    <message>
        <source>通讯监视</source>
        <translation>Line monitor</translation>
    </message>
    <message>
        <source>仪表没有应答：COM%1 (%2)，%3，子机地址 1。请检查接线，以及仪表的波特率、校验方式和地址。</source>
        <translation>The meter did not answer: COM%1 (%2), %3, slave address 1. Check the wiring and the meter&apos;s baud rate, parity and address.</translation>
    </message>
</context>
<context>
    <name>CPulseSetDlg</name>
    <message>
        <source>电能脉冲参数设置</source>
        <translation>Energy pulse settings</translation>
    </message>
    <message>
        <source>电能脉冲值</source>
        <translation>Energy pulse</translation>
    </message>
    <message>
        <source>( 表示以10**(n-1)千瓦小时给  </source>
        <translation>(one pulse per 10**(n-1) kWh)</translation>
    </message>
    <message>
        <source>  出电能脉冲 )</source>
        <translation> </translation>
    </message>
    <message>
        <source>电能脉冲宽度</source>
        <translation>Pulse width</translation>
    </message>
    <message>
        <source>( 表示脉冲宽度为0.1*n秒 )  </source>
        <translation>(pulse width 0.1*n s)</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>CommSetDlg</name>
    <message>
        <source>通讯设置</source>
        <translation>Communication settings</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>无校验</source>
        <translation>None</translation>
    </message>
    <message>
        <source>奇校验</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>偶校验</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>串口选择</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>COM：</source>
        <translation>COM:</translation>
    </message>
    <message>
        <source>串口选择 COM：</source>
        <translation>Serial port COM:</translation>
    </message>
    <message>
        <source>串口选择 设备</source>
        <translation>Serial port device</translation>
    </message>
    <message>
        <source>确    定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>退    出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>设备：无</source>
        <translation>Device: none</translation>
    </message>
    <message>
        <source>设备：%1</source>
        <translation>Device: %1</translation>
    </message>
    <message>
        <source>请输入一个整数。</source>
        <translation>Enter a whole number.</translation>
    </message>
    <message>
        <source>经 Modbus TCP 网关 %1 (单元号 = 仪表地址)</source>
        <translation>Through the Modbus TCP gateway %1 (unit id = meter address)</translation>
    </message>
    <message>
        <source>经透明网关 %1 (RTU over TCP)</source>
        <translation>Through the transparent gateway %1 (RTU over TCP)</translation>
    </message>
</context>
<context>
    <name>CommandRules</name>
    <message>
        <source>校验位:无校验</source>
        <translation>Parity:none</translation>
    </message>
    <message>
        <source>校验位:奇校验</source>
        <translation>Parity:odd</translation>
    </message>
    <message>
        <source>校验位:偶校验</source>
        <translation>Parity:even</translation>
    </message>
    <message>
        <source>请输入一个整数。</source>
        <translation>Enter a whole number.</translation>
    </message>
    <message>
        <source>请输入一个在 %1 和 %2 之间的整数。</source>
        <translation>Enter a whole number from %1 to %2.</translation>
    </message>
    <message>
        <source>脉冲宽度请输入 0 到 255 之间的整数 (ms)。</source>
        <translation>Pulse width: enter a whole number from 0 to 255 (ms).</translation>
    </message>
    <message>
        <source>串行口: %1 <byte value="xd"/>
<byte value="xd"/>
波特率: %2 <byte value="xd"/>
<byte value="xd"/>
</source>
        <translation>Serial port: %1 <byte value="xd"/>
<byte value="xd"/>
Baud rate: %2 <byte value="xd"/>
<byte value="xd"/>
</translation>
    </message>
    <message>
        <source>串行口:%1<byte value="xd"/>
<byte value="xd"/>
波特率:%2<byte value="xd"/>
<byte value="xd"/>
</source>
        <translation>Serial port:%1<byte value="xd"/>
<byte value="xd"/>
Baud rate:%2<byte value="xd"/>
<byte value="xd"/>
</translation>
    </message>
</context>
<context>
    <name>ControlQuantity</name>
    <message>
        <source>U1电压控制</source>
        <translation>U1 voltage</translation>
    </message>
    <message>
        <source>U12电压控制</source>
        <translation>U12 voltage</translation>
    </message>
    <message>
        <source>I1电流控制</source>
        <translation>I1 current</translation>
    </message>
    <message>
        <source>P1有功</source>
        <translation>P1 active power</translation>
    </message>
    <message>
        <source>PF1功率因数</source>
        <translation>PF1 power factor</translation>
    </message>
    <message>
        <source>Q1无功</source>
        <translation>Q1 reactive power</translation>
    </message>
    <message>
        <source>S1视在功率</source>
        <translation>S1 apparent power</translation>
    </message>
    <message>
        <source>U2电压控制</source>
        <translation>U2 voltage</translation>
    </message>
    <message>
        <source>U23电压控制</source>
        <translation>U23 voltage</translation>
    </message>
    <message>
        <source>I2电流控制</source>
        <translation>I2 current</translation>
    </message>
    <message>
        <source>P2有功</source>
        <translation>P2 active power</translation>
    </message>
    <message>
        <source>PF2功率因数</source>
        <translation>PF2 power factor</translation>
    </message>
    <message>
        <source>Q2无功</source>
        <translation>Q2 reactive power</translation>
    </message>
    <message>
        <source>S2视在功率</source>
        <translation>S2 apparent power</translation>
    </message>
    <message>
        <source>U3电压控制</source>
        <translation>U3 voltage</translation>
    </message>
    <message>
        <source>U31电压控制</source>
        <translation>U31 voltage</translation>
    </message>
    <message>
        <source>I3电流控制</source>
        <translation>I3 current</translation>
    </message>
    <message>
        <source>P3有功</source>
        <translation>P3 active power</translation>
    </message>
    <message>
        <source>PF3功率因数</source>
        <translation>PF3 power factor</translation>
    </message>
    <message>
        <source>Q3无功</source>
        <translation>Q3 reactive power</translation>
    </message>
    <message>
        <source>S3视在功率</source>
        <translation>S3 apparent power</translation>
    </message>
    <message>
        <source>U电压控制</source>
        <translation>U voltage</translation>
    </message>
    <message>
        <source>UL电压控制</source>
        <translation>UL voltage</translation>
    </message>
    <message>
        <source>I电流控制</source>
        <translation>I current</translation>
    </message>
    <message>
        <source>F频率</source>
        <translation>F frequency</translation>
    </message>
    <message>
        <source>P有功</source>
        <translation>P active power</translation>
    </message>
    <message>
        <source>PF功率因数</source>
        <translation>PF power factor</translation>
    </message>
    <message>
        <source>Q无功</source>
        <translation>Q reactive power</translation>
    </message>
    <message>
        <source>S视在功率</source>
        <translation>S apparent power</translation>
    </message>
    <message>
        <source>复归(断开)</source>
        <translation>Reset (open)</translation>
    </message>
    <message>
        <source>动作(闭合)</source>
        <translation>Operate (closed)</translation>
    </message>
</context>
<context>
    <name>CsvRecorder</name>
    <message>
        <source>无法打开记录文件 %1：%2</source>
        <translation>Cannot open the recording file %1: %2</translation>
    </message>
    <message>
        <source>文件已有其他内容，记录不会覆盖它，请另选文件</source>
        <translation>the file holds other data; recording will not overwrite it, choose another file</translation>
    </message>
    <message>
        <source>写入记录文件 %1 失败：%2。记录已停止。</source>
        <translation>Writing the recording file %1 failed: %2. Recording has stopped.</translation>
    </message>
    <message>
        <source>未知错误</source>
        <translation>unknown error</translation>
    </message>
    <message>
        <source>文件夹不存在</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>没有写入权限</source>
        <translation>no permission to write</translation>
    </message>
    <message>
        <source>这是一个文件夹</source>
        <translation>this is a folder</translation>
    </message>
    <message>
        <source>路径中有一段不是文件夹</source>
        <translation>a part of the path is not a folder</translation>
    </message>
    <message>
        <source>磁盘已满</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>文件系统只读</source>
        <translation>the file system is read-only</translation>
    </message>
    <message>
        <source>超出磁盘配额</source>
        <translation>the disk quota is exceeded</translation>
    </message>
    <message>
        <source>文件名太长</source>
        <translation>the file name is too long</translation>
    </message>
</context>
<context>
    <name>DeviceInfo</name>
    <message>
        <source>0.5级</source>
        <translation>Class 0.5</translation>
    </message>
    <message>
        <source>0.2级</source>
        <translation>Class 0.2</translation>
    </message>
</context>
<context>
    <name>ExtrasBar</name>
    <message>
        <source>通讯监视</source>
        <translation>Line monitor</translation>
    </message>
    <message>
        <source>趋势图</source>
        <translation>Trends</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>记录数据</source>
        <translation>Record data</translation>
    </message>
    <message>
        <source>接线检查</source>
        <translation>Wiring check</translation>
    </message>
    <message>
        <source>总览</source>
        <translation>Overview</translation>
    </message>
    <message>
        <source>快速刷新</source>
        <translation>Fast refresh</translation>
    </message>
    <message>
        <source>配置文件</source>
        <translation>Profiles</translation>
    </message>
</context>
<context>
    <name>FieldError</name>
    <message>
        <source>%1: %2。
参数未发送。</source>
        <translation>%1: %2.
Nothing was sent.</translation>
    </message>
    <message>
        <source>%1: 只接受%2。
参数未发送。</source>
        <translation>%1: accepts only %2.
Nothing was sent.</translation>
    </message>
</context>
<context>
    <name>Formatting</name>
    <message>
        <source>闭</source>
        <translation>On</translation>
    </message>
    <message>
        <source>开</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>FrameDecode</name>
    <message>
        <source>请求不完整 (%1 字节)</source>
        <translation>incomplete request (%1 bytes)</translation>
    </message>
    <message>
        <source>读 %1 ×%2</source>
        <translation>read %1 ×%2</translation>
    </message>
    <message>
        <source>写 %1 = %2</source>
        <translation>write %1 = %2</translation>
    </message>
    <message>
        <source>功能码 %1</source>
        <translation>function %1</translation>
    </message>
    <message>
        <source> 广播</source>
        <translation> broadcast</translation>
    </message>
    <message>
        <source>非法功能</source>
        <translation>illegal function</translation>
    </message>
    <message>
        <source>非法地址</source>
        <translation>illegal address</translation>
    </message>
    <message>
        <source>非法数据值</source>
        <translation>illegal data value</translation>
    </message>
    <message>
        <source>从站设备故障</source>
        <translation>slave device failure</translation>
    </message>
    <message>
        <source>已确认，处理中</source>
        <translation>acknowledged, in progress</translation>
    </message>
    <message>
        <source>从站设备忙</source>
        <translation>slave device busy</translation>
    </message>
    <message>
        <source>存储奇偶校验错误</source>
        <translation>memory parity error</translation>
    </message>
    <message>
        <source>网关路径不可用</source>
        <translation>gateway path unavailable</translation>
    </message>
    <message>
        <source>网关目标设备无响应</source>
        <translation>gateway target failed to respond</translation>
    </message>
    <message>
        <source>前有 %1 个多余字节 (迟到的应答)</source>
        <translation>%1 stray bytes before (late reply)</translation>
    </message>
    <message>
        <source>前有 %1 个多余字节</source>
        <translation>%1 stray bytes before</translation>
    </message>
    <message>
        <source>不读应答</source>
        <translation>reply not read</translation>
    </message>
    <message>
        <source>无应答</source>
        <translation>no reply</translation>
    </message>
    <message>
        <source>应答 %1 个寄存器</source>
        <translation>reply: %1 registers</translation>
    </message>
    <message>
        <source>写入确认与请求不同</source>
        <translation>write echo differs from request</translation>
    </message>
    <message>
        <source>写入确认</source>
        <translation>write confirmed</translation>
    </message>
    <message>
        <source>异常 %1</source>
        <translation>exception %1</translation>
    </message>
    <message>
        <source>异常 %1 (%2)</source>
        <translation>exception %1 (%2)</translation>
    </message>
    <message>
        <source>CRC 错误</source>
        <translation>CRC error</translation>
    </message>
    <message>
        <source>长度不符 (应为 %1 字节)</source>
        <translation>wrong length (expected %1 bytes)</translation>
    </message>
    <message>
        <source>无有效应答 (%1 个多余字节)</source>
        <translation>no valid reply (%1 stray bytes)</translation>
    </message>
    <message>
        <source>后有 %1 个多余字节 (迟到的应答)</source>
        <translation>%1 stray bytes after (late reply)</translation>
    </message>
    <message>
        <source>后有 %1 个多余字节</source>
        <translation>%1 stray bytes after</translation>
    </message>
    <message>
        <source>端口已断开</source>
        <translation>port disconnected</translation>
    </message>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>HelpDlg</name>
    <message>
        <source>本演示程序是供带有开关控制模块的RD5800检测仪表使用的。仪表可带3个模块(现在仅有第一模块)，</source>
        <translation>This program is for RD5800 meters with switch control modules. A meter takes up to 3 modules (only the first exists now);</translation>
    </message>
    <message>
        <source>每个模块有两组继电器和两组开关量。两种继电器的控制方式又有两种：遥控和自控。</source>
        <translation>each module has two relays and two digital inputs. The relays are controlled in two ways: remote and automatic.</translation>
    </message>
    <message>
        <source>1. 继电器OUT1的控制设置</source>
        <translation>1. Control settings of relay OUT1</translation>
    </message>
    <message>
        <source>在模块控制对话框中，按&quot;修改&quot;  所有框都变得可输入，首先选择控制方式，当选择&quot;遥控&quot;时，不用在上  </source>
        <translation>In the module dialog, press &quot;Modify&quot; and every box becomes editable. First choose the control mode. With &quot;Remote&quot;,</translation>
    </message>
    <message>
        <source>限值、下限值、回差值、定时值框中输入变量值，只需在状态栏中选择&quot;常开&quot;或者&quot;常闭&quot;；当选择非&quot;遥控&quot;</source>
        <translation>leave the upper limit, lower limit, hysteresis and timer boxes empty and only choose &quot;NO&quot; or &quot;NC&quot; in the state box; with any other mode</translation>
    </message>
    <message>
        <source>时，要在上限值、下限值、回差值、定时值框中输入变量值，不用在状态栏中选择；最后，按&quot;确认&quot;，程序</source>
        <translation>fill in the upper limit, lower limit, hysteresis and timer boxes and leave the state box alone. Finally press &quot;OK&quot;;</translation>
    </message>
    <message>
        <source>程序30秒后会稳定在所设值状态。 继电器的输出状态在主界面中的继电器输出状态显示框中给出。</source>
        <translation>after 30 seconds the relay settles in the set state. The main window shows the relay outputs under &quot;Relay outputs&quot;.</translation>
    </message>
    <message>
        <source>其它继电器OUTn 的控制设置与OUT1的相同。</source>
        <translation>The other relays OUTn are set in the same way as OUT1.</translation>
    </message>
    <message>
        <source>2. 脉冲宽度设置</source>
        <translation>2. Pulse width setting</translation>
    </message>
    <message>
        <source>在主界面中, 按&quot;修改&quot;可在脉冲宽度编辑框中输入以ms计的宽度值, 再按&quot;写入&quot;就更新了仪表的脉冲宽度</source>
        <translation>In the main window, press &quot;Modify&quot; to enter the width in ms in the pulse width box, then press &quot;Write&quot; to update</translation>
    </message>
    <message>
        <source>值了。平时编辑框中显示的总是最新的脉冲宽度值。</source>
        <translation>the meter&apos;s pulse width. The box always shows the latest pulse width.</translation>
    </message>
    <message>
        <source>3. 关于开关量</source>
        <translation>3. Digital inputs</translation>
    </message>
    <message>
        <source>在主界面中，&quot;状态&quot;处有6个显示框，前面、中间和后面各2个分别为第一、第二、第三模块的2个开关</source>
        <translation>In the main window, the 6 lamps at &quot;In&quot; show, two each, the inputs of the first, second and third module;</translation>
    </message>
    <message>
        <source>状态显示框，其计数分别显示在&quot;计数&quot;处的6个显示框中。</source>
        <translation>their counts are shown in the 6 boxes at &quot;Ct&quot;.</translation>
    </message>
    <message>
        <source>4. 关于谐波显示</source>
        <translation>4. Harmonics</translation>
    </message>
    <message>
        <source>仪表提供了I1、I2、I3、U1、U2、U3   6个电参量的19次谐波。本演示程序给出了上面 6个电参量的19次</source>
        <translation>The meter gives 19 harmonics of the 6 quantities I1, I2, I3, U1, U2, U3. This program shows, for each of them,</translation>
    </message>
    <message>
        <source>谐波的百分比含量棒形图， 各自的基波在项目选择的右边给出。电流和大于100伏的电压给出了棒形条。</source>
        <translation>a bar chart of the harmonic content in percent; the fundamental is shown right of the item choice. Currents and voltages above 100 V get bars.</translation>
    </message>
    <message>
        <source>4. 关于模块设置的进入操作</source>
        <translation>5. Opening the module settings</translation>
    </message>
    <message>
        <source>无论&quot;运行/停止&quot;按钮处在什么提示状态,  都可以进入模块设置界面,   退出设置界面后要按一下&quot;运行/停止&quot;按钮.</source>
        <translation>The module settings open whatever the &quot;Run/Stop&quot; button shows. After closing them, press the &quot;Run/Stop&quot;</translation>
    </message>
    <message>
        <source>按钮,   恢复正常通讯.</source>
        <translation>button once to resume normal communication.</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>5. 关于子机地址</source>
        <translation>6. About the slave address</translation>
    </message>
    <message>
        <source>轮询中新输入的子机地址在仪表应答后才生效; 正在轮询的地址不应答时, 请先按&quot;停止&quot;, 再按&quot;运行&quot;。</source>
        <translation>A slave address typed while polling takes effect after the meter answers; when the polled address does not answer, press &quot;Stop&quot;, then &quot;Run&quot;.</translation>
    </message>
    <message>
        <source>6. 主界面下方的按钮与快捷键</source>
        <translation>6. The buttons below the main panel and their keys</translation>
    </message>
    <message>
        <source>&quot;总览&quot;: 总线上全部仪表一览; &quot;扫描总线&quot; 找出应答的仪表, 双击一行或按回车由主界面轮询该仪表。</source>
        <translation>&quot;Overview&quot;: every meter of the bus at a glance; &quot;Scan bus&quot; finds the meters that answer; double-click a row or press Enter to poll that meter in the main window.</translation>
    </message>
    <message>
        <source>&quot;接线检查&quot;: 按轮询到的电压、电流和功率检查接线 (相序、电流方向、缺相), 并画出相量图。</source>
        <translation>&quot;Wiring check&quot;: checks the wiring from the polled voltages, currents and powers (phase sequence, current direction, missing phases) and draws the phasors.</translation>
    </message>
    <message>
        <source>7. 以太网网关</source>
        <translation>7. Ethernet gateways</translation>
    </message>
    <message>
        <source>端口也可以是网关: --port tcp://主机:端口 (透明网关) 或 modbus-tcp://主机:端口, 例如 modbus-tcp://192.168.1.20:502。</source>
        <translation>A port can also be a gateway: --port tcp://HOST:PORT (transparent gateway) or modbus-tcp://HOST:PORT, e.g. modbus-tcp://192.168.1.20:502.</translation>
    </message>
    <message>
        <source>&quot;通讯监视&quot; %1, &quot;记录数据&quot; %2, &quot;趋势图&quot; %3, &quot;总览&quot; %4, &quot;接线检查&quot; %5, &quot;配置文件&quot; %6, &quot;快速刷新&quot; %7。</source>
        <translation>&quot;Line monitor&quot; %1, &quot;Record data&quot; %2, &quot;Trends&quot; %3, &quot;Overview&quot; %4, &quot;Wiring check&quot; %5, &quot;Profiles&quot; %6, &quot;Fast refresh&quot; %7.</translation>
    </message>
</context>
<context>
    <name>Lamp</name>
    <message>
        <source>灭</source>
        <translation>off</translation>
    </message>
    <message>
        <source>亮</source>
        <translation>on</translation>
    </message>
</context>
<context>
    <name>MbapDecode</name>
    <message>
        <source>事务 %1，单元 %2</source>
        <translation>transaction %1, unit %2</translation>
    </message>
    <message>
        <source>不是完整的 Modbus TCP 报文 (%1 字节)</source>
        <translation>not a whole Modbus TCP message (%1 bytes)</translation>
    </message>
    <message>
        <source>%1 个字节不成报文</source>
        <translation>%1 bytes that form no message</translation>
    </message>
    <message>
        <source>%1 (不符，已丢弃)</source>
        <translation>%1 (mismatch, dropped)</translation>
    </message>
    <message>
        <source>；</source>
        <translation>; </translation>
    </message>
</context>
<context>
    <name>MeterCommands</name>
    <message>
        <source>改变波特率成功</source>
        <translation>Baud rate changed</translation>
    </message>
    <message>
        <source>改变波特率不成功</source>
        <translation>Changing the baud rate failed</translation>
    </message>
    <message>
        <source>改变校验方式成功</source>
        <translation>Parity changed</translation>
    </message>
    <message>
        <source>改变校验方式不成功</source>
        <translation>Changing the parity failed</translation>
    </message>
    <message>
        <source>设置PT不成功</source>
        <translation>Setting PT failed</translation>
    </message>
    <message>
        <source>设置CT不成功</source>
        <translation>Setting CT failed</translation>
    </message>
    <message>
        <source>设置接线方式不成功</source>
        <translation>Setting the wiring failed</translation>
    </message>
    <message>
        <source>设置仪表参数成功</source>
        <translation>Meter settings written</translation>
    </message>
</context>
<context>
    <name>MeterDlg</name>
    <message>
        <source>运行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>RD5800智能电力检测仪--Velmora(Ver 2.0)</source>
        <translation>RD5800 Power Meter--Velmora (Ver 2.0)</translation>
    </message>
    <message>
        <source>无法启动模块设置程序 %1：在程序目录、当前目录和 PATH 中都找不到它。</source>
        <translation>Cannot start the module settings program %1: it is not in the program folder, the current folder or PATH.</translation>
    </message>
    <message>
        <source>无法启动模块设置程序 %1 (%2)。</source>
        <translation>Cannot start the module settings program %1 (%2).</translation>
    </message>
    <message>
        <source><byte value="xd"/>
轮询已停止，接好后请按&quot;运行&quot;。</source>
        <translation><byte value="xd"/>
Polling has stopped; reconnect and press &quot;Run&quot;.</translation>
    </message>
    <message>
        <source>正在轮询子机地址 %1。新输入的地址在收到应答后生效；仪表不应答时请先按“停止”，再按“运行”。</source>
        <translation>Polling slave address %1. A newly typed address takes effect after a reply; when the meter does not answer, press &quot;Stop&quot;, then &quot;Run&quot;.</translation>
    </message>
    <message>
        <source>请启动网关并检查 --port 中的主机和端口，然后按“运行”。</source>
        <translation>Start the gateway and check the host and port in --port, then press &quot;Run&quot;.</translation>
    </message>
    <message>
        <source>请插好 USB 转换器并检查 --port (或 RD5800_COM%1) 所指的设备，然后按“运行”。</source>
        <translation>Plug in the USB adapter and check the device that --port (or RD5800_COM%1) names, then press &quot;Run&quot;.</translation>
    </message>
    <message>
        <source>地址 %1 无应答</source>
        <translation>No reply: %1</translation>
    </message>
</context>
<context>
    <name>MeterDlgCommands</name>
    <message>
        <source>地址更新不成功</source>
        <translation>Changing the address failed</translation>
    </message>
</context>
<context>
    <name>MeterOptions</name>
    <message>
        <source>RD5800: %1
请用 RD5800 --help 查看全部选项。
</source>
        <translation>RD5800: %1
See RD5800 --help for all options.
</translation>
    </message>
    <message>
        <source>多余的参数: %1</source>
        <translation>unexpected arguments: %1</translation>
    </message>
    <message>
        <source>--lang 只接受 zh 或 en</source>
        <translation>--lang accepts only zh or en</translation>
    </message>
    <message>
        <source>--record 需要一个文件名</source>
        <translation>--record needs a file name</translation>
    </message>
    <message>
        <source>--port 需要一个设备名, 例如 /dev/ttyUSB0</source>
        <translation>--port needs a device name, e.g. /dev/ttyUSB0</translation>
    </message>
    <message>
        <source>--baud 只接受 1200, 2400, 4800, 9600 或 19200</source>
        <translation>--baud accepts only 1200, 2400, 4800, 9600 or 19200</translation>
    </message>
    <message>
        <source>--parity 只接受 N, E 或 O</source>
        <translation>--parity accepts only N, E or O</translation>
    </message>
    <message>
        <source>--address 只接受 0 到 255 之间的整数</source>
        <translation>--address accepts only a whole number from 0 to 255</translation>
    </message>
    <message>
        <source>--run 需要 --address, 例如 --address 1</source>
        <translation>--run needs --address, e.g. --address 1</translation>
    </message>
    <message>
        <source>
网关: 端口名 (--port NAME 或 RD5800_COM1=NAME) 也可以是以太网网关:
  tcp://主机:端口         透明网关, RTU 帧原样经 TCP 传输 (常用端口 4196、8899、502)
  modbus-tcp://主机:端口  Modbus TCP 网关, 单元号 = 仪表地址 (常用端口 502)
  例如 RD5800_COM1=modbus-tcp://192.168.1.20:502。经网关时串口参数在网关上设置,
  &quot;通讯设置&quot; 中的波特率与校验位只决定等待时间。
</source>
        <translation>
Gateways: a port name (--port NAME or RD5800_COM1=NAME) may also be an Ethernet gateway:
  tcp://HOST:PORT         transparent gateway, RTU frames unchanged over TCP (commonly port 4196, 8899, 502)
  modbus-tcp://HOST:PORT  Modbus TCP gateway, unit id = meter address (commonly port 502)
  For example RD5800_COM1=modbus-tcp://192.168.1.20:502. Over a gateway the serial settings are made on
  the gateway; the baud rate and parity in &quot;Communication settings&quot; only set the waits.
</translation>
    </message>
    <message>
        <source>--port %1 是 Windows 的串口名; 这里请给设备名, 例如 --port /dev/ttyUSB0, 或用环境变量 RD5800_COM1=/dev/ttyUSB0 指定 1 号串口的设备</source>
        <translation>--port %1 is a Windows port name; give a device name here, e.g. --port /dev/ttyUSB0, or set the device of port 1 with RD5800_COM1=/dev/ttyUSB0</translation>
    </message>
    <message>
        <source>用法: RD5800 [选项]
RD5800 三相电力监测仪的上位机程序: 实时数据、开关量、计数、谐波与仪表设置。

选项:
  --port NAME       1 号串口 (COM1) 使用的设备, 同环境变量 RD5800_COM1, 例如 /dev/ttyUSB0
  --baud N          通讯设置的波特率: 1200, 2400, 4800, 9600 或 19200 (默认 9600)
  --parity N|E|O    通讯设置的校验方式: 无, 偶校验或奇校验 (默认 N)
  --address N       子机地址 0..255 (默认 0)
  --run             不显示通讯设置, 按以上设置打开串口并立即开始轮询 (需要 --address)
  --record FILE     启动后把每次读到的数据记录到 CSV 文件 FILE (文件已有同样的记录时接着写)
  --lang zh|en      界面语言: 中文或英文 (不给时按系统语言, C/POSIX 时为中文)
  --overview        同时打开 &quot;总览&quot; 窗口: 总线上的全部仪表
  --profile FILE    同时打开 &quot;配置文件&quot; 窗口, 载入配置文件 FILE
  -h, --help        显示本说明

无人值守记录, 例如: RD5800 --port /dev/ttyUSB0 --address 1 --run --record load.csv
串口: 环境变量 RD5800_COM&lt;n&gt; 指定端口号 n 使用的设备, 例如 RD5800_COM1=/dev/ttyUSB0。
</source>
        <translation>Usage: RD5800 [options]
Host program for the RD5800 three-phase power meter: live data, digital inputs, counters, harmonics and meter settings.

Options:
  --port NAME       the device of serial port 1 (COM1), as the variable RD5800_COM1, e.g. /dev/ttyUSB0
  --baud N          baud rate of the communication settings: 1200, 2400, 4800, 9600 or 19200 (default 9600)
  --parity N|E|O    parity of the communication settings: none, even or odd (default N)
  --address N       slave address 0..255 (default 0)
  --run             skip the communication settings, open the port with the settings above and poll at once (needs --address)
  --record FILE     record every reading from the start into the CSV file FILE (continues a file with the same columns)
  --lang zh|en      interface language: Chinese or English (default: the system language; Chinese for C/POSIX)
  --overview        open the &quot;Overview&quot; window too: every meter of the bus
  --profile FILE    open the &quot;Profiles&quot; window too, with the profile FILE
  -h, --help        show this text

Unattended logging, e.g.: RD5800 --port /dev/ttyUSB0 --address 1 --run --record load.csv
Serial port: the environment variable RD5800_COM&lt;n&gt; names the device of port number n, e.g. RD5800_COM1=/dev/ttyUSB0.
</translation>
    </message>
    <message>
        <source>--profile 需要一个文件名</source>
        <translation>--profile needs a file name</translation>
    </message>
    <message>
        <source>  --timeout MS      经网关时应答的等待余量, 毫秒 (10..60000, 默认 1000)
</source>
        <translation>  --timeout MS      over a gateway, how long a reply may take, in ms (10..60000, default 1000)
</translation>
    </message>
    <message>
        <source>--timeout 只接受 10 到 60000 之间的毫秒数</source>
        <translation>--timeout accepts only milliseconds from 10 to 60000</translation>
    </message>
</context>
<context>
    <name>MeterPanel</name>
    <message>
        <source>子机地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>通讯成功率</source>
        <translation>Success %</translation>
    </message>
    <message>
        <source>总次数</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>基本数据</source>
        <translation>Measurements</translation>
    </message>
    <message>
        <source>  合相</source>
        <translation>  Total</translation>
    </message>
    <message>
        <source>A相/CA线</source>
        <translation>A / CA</translation>
    </message>
    <message>
        <source>B相/AB线</source>
        <translation>B / AB</translation>
    </message>
    <message>
        <source>C相/BC线</source>
        <translation>C / BC</translation>
    </message>
    <message>
        <source>相 电 压</source>
        <translation>Phase U</translation>
    </message>
    <message>
        <source>线 电 压</source>
        <translation>Line U</translation>
    </message>
    <message>
        <source>相 电 流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>有功功率</source>
        <translation>Active P</translation>
    </message>
    <message>
        <source>无功功率</source>
        <translation>Reactive Q</translation>
    </message>
    <message>
        <source>视在功率</source>
        <translation>Apparent S</translation>
    </message>
    <message>
        <source>功率因数</source>
        <translation>PF</translation>
    </message>
    <message>
        <source>频    率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>电能数据</source>
        <translation>Energy</translation>
    </message>
    <message>
        <source>正向有功电能</source>
        <translation>Import active energy</translation>
    </message>
    <message>
        <source>负向有功电能</source>
        <translation>Export active energy</translation>
    </message>
    <message>
        <source>正向无功电能</source>
        <translation>Import reactive energy</translation>
    </message>
    <message>
        <source>负向无功电能</source>
        <translation>Export reactive energy</translation>
    </message>
    <message>
        <source>遥信部分</source>
        <translation>Digital inputs</translation>
    </message>
    <message>
        <source>状</source>
        <translation>In</translation>
    </message>
    <message>
        <source>态</source>
        <translation> </translation>
    </message>
    <message>
        <source>计</source>
        <translation>Ct</translation>
    </message>
    <message>
        <source>数</source>
        <translation> </translation>
    </message>
    <message>
        <source>计数 </source>
        <translation>Count </translation>
    </message>
    <message>
        <source>继电器输出状态</source>
        <translation>Relay outputs</translation>
    </message>
    <message>
        <source>脉冲宽度</source>
        <translation>Pulse</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Modify</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>通讯状态</source>
        <translation>Line status</translation>
    </message>
    <message>
        <source>选择谐波项目:</source>
        <translation>Harmonics of:</translation>
    </message>
    <message>
        <source>选择谐波项目</source>
        <translation>Harmonics of</translation>
    </message>
    <message>
        <source>基波值</source>
        <translation>Fund.</translation>
    </message>
    <message>
        <source>(A或V)</source>
        <translation>(A or V)</translation>
    </message>
    <message>
        <source>基波值 棒</source>
        <translation>Fund. bar</translation>
    </message>
    <message>
        <source>谐波含量</source>
        <translation>Harmonic content</translation>
    </message>
    <message>
        <source>运行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>轮询地址</source>
        <translation>Search address</translation>
    </message>
    <message>
        <source>更改子机地址</source>
        <translation>Change slave address</translation>
    </message>
    <message>
        <source>通讯设置</source>
        <translation>Communication settings</translation>
    </message>
    <message>
        <source>仪表设置</source>
        <translation>Meter settings</translation>
    </message>
    <message>
        <source>模块设置</source>
        <translation>Module settings</translation>
    </message>
    <message>
        <source>使用说明</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>退  出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>修改精度</source>
        <translation>Accuracy</translation>
    </message>
    <message>
        <source>发送帧:</source>
        <translation>Sent frame:</translation>
    </message>
</context>
<context>
    <name>MeterSetDlg</name>
    <message>
        <source>3相4线(非平衡)</source>
        <translation>3P4W (unbalanced)</translation>
    </message>
    <message>
        <source>单相2线</source>
        <translation>1P2W</translation>
    </message>
    <message>
        <source>3相3线(非平衡)</source>
        <translation>3P3W (unbalanced)</translation>
    </message>
    <message>
        <source>3相3线(平衡)</source>
        <translation>3P3W (balanced)</translation>
    </message>
    <message>
        <source>单相3线</source>
        <translation>1P3W</translation>
    </message>
    <message>
        <source>3相4线(平衡)</source>
        <translation>3P4W (balanced)</translation>
    </message>
    <message>
        <source>ＰＴ</source>
        <translation>PT</translation>
    </message>
    <message>
        <source>ＣＴ</source>
        <translation>CT</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
</context>
<context>
    <name>ModuleLink</name>
    <message>
        <source>
未发送任何请求。</source>
        <translation>
No request was sent.</translation>
    </message>
    <message>
        <source>
参数可能只写入了一部分，接好后请重新设置。</source>
        <translation>
The settings may be written only in part; reconnect and set them again.</translation>
    </message>
    <message>
        <source>
读取未完成，接好后请重新读取。</source>
        <translation>
Reading did not finish; reconnect and read again.</translation>
    </message>
</context>
<context>
    <name>Overview</name>
    <message>
        <source>扫描范围必须在 1 到 247 之间。</source>
        <translation>The scan range must lie between 1 and 247.</translation>
    </message>
    <message>
        <source>扫描范围的起始地址不能大于结束地址。</source>
        <translation>The first address of the scan range cannot be above the last.</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>无应答</source>
        <translation>No reply</translation>
    </message>
    <message>
        <source>异常</source>
        <translation>Fault</translation>
    </message>
    <message>
        <source>未读</source>
        <translation>Not read</translation>
    </message>
    <message>
        <source>地址 %1 不在 1 到 247 之间。</source>
        <translation>Address %1 is not between 1 and 247.</translation>
    </message>
    <message>
        <source>地址 %1 已在列表中。</source>
        <translation>Address %1 is already in the list.</translation>
    </message>
    <message>
        <source>名称不能包含换行。</source>
        <translation>A name cannot contain line breaks.</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>状态</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>相电压</source>
        <translation>Phase voltage</translation>
    </message>
    <message>
        <source>相电流</source>
        <translation>Current</translation>
    </message>
    <message>
        <source>有功功率</source>
        <translation>Active power</translation>
    </message>
    <message>
        <source>功率因数</source>
        <translation>Power factor</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>正向有功电能</source>
        <translation>Active energy +</translation>
    </message>
    <message>
        <source>成功率</source>
        <translation>Success rate</translation>
    </message>
    <message>
        <source>最后应答</source>
        <translation>Last reply</translation>
    </message>
    <message>
        <source>总览</source>
        <translation>Overview</translation>
    </message>
    <message>
        <source>扫描总线</source>
        <translation>Scan bus</translation>
    </message>
    <message>
        <source>运行</source>
        <translation>Run</translation>
    </message>
    <message>
        <source>添加…</source>
        <translation>Add…</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>记录数据</source>
        <translation>Record data</translation>
    </message>
    <message>
        <source>起始地址</source>
        <translation>From address</translation>
    </message>
    <message>
        <source>结束地址</source>
        <translation>To address</translation>
    </message>
    <message>
        <source>扫描进度</source>
        <translation>Scan progress</translation>
    </message>
    <message>
        <source>找到</source>
        <translation>Found</translation>
    </message>
    <message>
        <source>记录</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>仪表</source>
        <translation>Meters</translation>
    </message>
    <message>
        <source>添加仪表</source>
        <translation>Add meter</translation>
    </message>
    <message>
        <source>子机地址 (1-247):</source>
        <translation>Slave address (1-247):</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止扫描</source>
        <translation>Stop scan</translation>
    </message>
    <message>
        <source>找到 %1 台仪表</source>
        <translation>%1 meters found</translation>
    </message>
    <message>
        <source>停止记录</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>记录中: %1 (%2 行)</source>
        <translation>Recording: %1 (%2 rows)</translation>
    </message>
    <message>
        <source>列表为空，请先扫描或添加</source>
        <translation>The list is empty: scan the bus or add a meter first</translation>
    </message>
    <message>
        <source>。请检查波特率、校验位、A/B 线是否接反，以及地址范围 %1-%2。</source>
        <translation>. Check the baud rate, the parity, whether A and B are swapped, and the address range %1-%2.</translation>
    </message>
    <message>
        <source>请先在“配置文件”窗口中打开或读取一个配置文件。</source>
        <translation>Open or read a profile in the &quot;Profiles&quot; window first.</translation>
    </message>
    <message>
        <source>%1 项不同</source>
        <translation>%1 differ</translation>
    </message>
    <message>
        <source>配置</source>
        <translation>Profile</translation>
    </message>
    <message>
        <source>与配置文件比较</source>
        <translation>Compare with profile</translation>
    </message>
</context>
<context>
    <name>ParserErrors</name>
    <message>
        <source>未知选项 --%1</source>
        <translation>Unknown option --%1</translation>
    </message>
    <message>
        <source>未知选项 %1</source>
        <translation>Unknown options %1</translation>
    </message>
    <message>
        <source>%1 后面缺少值</source>
        <translation>Missing value after %1</translation>
    </message>
    <message>
        <source>%1 不带值</source>
        <translation>%1 takes no value</translation>
    </message>
</context>
<context>
    <name>PhasorDiagram</name>
    <message>
        <source>相量图</source>
        <translation>Phasor diagram</translation>
    </message>
</context>
<context>
    <name>PortName</name>
    <message>
        <source>端口名 &quot;%1&quot; 格式不对：应为串口设备、tcp://主机:端口 或 modbus-tcp://主机:端口</source>
        <translation>Port name &quot;%1&quot; is malformed: expected a serial device, tcp://HOST:PORT or modbus-tcp://HOST:PORT</translation>
    </message>
    <message>
        <source>端口名 &quot;%1&quot; 中的端口号 %2 不在 1..65535 之内</source>
        <translation>Port name &quot;%1&quot;: port %2 is not within 1..65535</translation>
    </message>
</context>
<context>
    <name>Profile</name>
    <message>
        <source>目标地址 “%1” 无法识别: 每项是 1 至 247 的地址 (可带名称, 如 “2 进线柜”) 或范围 (如 “2-21”), 每个地址只能出现一次。</source>
        <translation>Target &quot;%1&quot; cannot be read: each entry is an address 1 to 247 (optionally with a name, as in &quot;2 Incomer&quot;) or a range (as in &quot;2-21&quot;), each address once.</translation>
    </message>
    <message>
        <source>请给出至少一个目标地址 (例如 2-21)。</source>
        <translation>Give at least one target address (for example 2-21).</translation>
    </message>
    <message>
        <source>已设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>已相同, 未写入</source>
        <translation>Already right, nothing written</translation>
    </message>
    <message>
        <source>未找到仪表</source>
        <translation>No meter found</translation>
    </message>
    <message>
        <source>失败</source>
        <translation>Failed</translation>
    </message>
    <message>
        <source>在 %1 和出厂设置 %2 都没有找到仪表。</source>
        <translation>No meter answered at %1 nor at the factory settings %2.</translation>
    </message>
    <message>
        <source>无法打开调试记录 %1: %2</source>
        <translation>Cannot open the commissioning record %1: %2</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>精度等级</source>
        <translation>Accuracy class</translation>
    </message>
    <message>
        <source>模块</source>
        <translation>modules</translation>
    </message>
    <message>
        <source>调试记录没有打开。</source>
        <translation>The commissioning record is not open.</translation>
    </message>
    <message>
        <source>无法写入调试记录 %1: %2</source>
        <translation>Cannot write the commissioning record %1: %2</translation>
    </message>
    <message>
        <source>地址 %1 的仪表没有回答%2的读取。</source>
        <translation>The meter at address %1 did not answer the read of %2.</translation>
    </message>
    <message>
        <source>仪表参数</source>
        <translation>the meter settings</translation>
    </message>
    <message>
        <source>模块配置</source>
        <translation>the module presence</translation>
    </message>
    <message>
        <source>地址 %1, %2</source>
        <translation>address %1, %2</translation>
    </message>
    <message>
        <source>仪表没有配置文件中的模块 %1。</source>
        <translation>The meter lacks module %1 of the profile.</translation>
    </message>
    <message>
        <source>仪表以异常码 %1 拒绝了写入。</source>
        <translation>The meter refused the write with exception code %1.</translation>
    </message>
    <message>
        <source>端口无法以 %1 重新打开: %2</source>
        <translation>The port would not open again at %1: %2</translation>
    </message>
    <message>
        <source>写入没有回应; </source>
        <translation>no echo to the write; </translation>
    </message>
    <message>
        <source>写入后在%1读回没有回答。</source>
        <translation>the read-back at %1 got no answer.</translation>
    </message>
    <message>
        <source>读回的值是 %1, 不是写入的 %2。</source>
        <translation>the read-back gave %1, not the %2 written.</translation>
    </message>
    <message>
        <source>仪表的设置与配置文件相同, 没有写入任何设置。</source>
        <translation>The meter already holds the profile; nothing was written.</translation>
    </message>
    <message>
        <source>没有写入任何设置。</source>
        <translation>Nothing was written.</translation>
    </message>
    <message>
        <source>已写入并读回核对 %1 项设置: %2</source>
        <translation>Written and read back: %1 settings: %2</translation>
    </message>
    <message>
        <source>写入“%1”失败: %2</source>
        <translation>Writing &quot;%1&quot; failed: %2</translation>
    </message>
    <message>
        <source>已写入并核对的设置: 无</source>
        <translation>Written and verified: none</translation>
    </message>
    <message>
        <source>已写入并核对的设置: %1</source>
        <translation>Written and verified: %1</translation>
    </message>
    <message>
        <source>未写入的设置: 无</source>
        <translation>Not written: none</translation>
    </message>
    <message>
        <source>未写入的设置: %1</source>
        <translation>Not written: %1</translation>
    </message>
    <message>
        <source>仪表现在在%1回答。</source>
        <translation>The meter now answers at %1.</translation>
    </message>
    <message>
        <source>仪表在%1没有回答。</source>
        <translation>The meter does not answer at %1.</translation>
    </message>
    <message>
        <source>相同</source>
        <translation>Same</translation>
    </message>
    <message>
        <source>不同</source>
        <translation>Differs</translation>
    </message>
    <message>
        <source>无此模块</source>
        <translation>no such module</translation>
    </message>
    <message>
        <source> (PT/CT 改变, 寄存器值随之重写)</source>
        <translation> (PT/CT change: the register value is rewritten)</translation>
    </message>
    <message>
        <source>文件中缺少此项 (&quot;%1&quot;)</source>
        <translation>missing from the file (&quot;%1&quot;)</translation>
    </message>
    <message>
        <source>只接受 %1 至 %2 之间的整数</source>
        <translation>accepts only a whole number from %1 to %2</translation>
    </message>
    <message>
        <source>只接受文字 (&quot;%1&quot;)</source>
        <translation>accepts only text (&quot;%1&quot;)</translation>
    </message>
    <message>
        <source>未知的项 &quot;%1&quot;</source>
        <translation>unknown entry &quot;%1&quot;</translation>
    </message>
    <message>
        <source>配置文件不是有效的 JSON: %1 (第 %2 个字节)。
参数未发送。</source>
        <translation>The profile is not valid JSON: %1 (at byte %2).
Nothing was sent.</translation>
    </message>
    <message>
        <source>最外层不是对象</source>
        <translation>the top level is not an object</translation>
    </message>
    <message>
        <source>这不是 RD5800 的配置文件 (缺少 &quot;format&quot;: &quot;rd5800-profile&quot;)。
参数未发送。</source>
        <translation>This is not an RD5800 profile (&quot;format&quot;: &quot;rd5800-profile&quot; is missing).
Nothing was sent.</translation>
    </message>
    <message>
        <source>配置文件</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>无校验, 奇校验 或 偶校验</source>
        <translation>无校验, 奇校验 or 偶校验</translation>
    </message>
    <message>
        <source> 之一</source>
        <translation> (one of them)</translation>
    </message>
    <message>
        <source>无法读取配置文件 %1: %2</source>
        <translation>Cannot read the profile %1: %2</translation>
    </message>
    <message>
        <source>无法保存配置文件 %1: %2</source>
        <translation>Cannot save the profile %1: %2</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>Baud rate</translation>
    </message>
    <message>
        <source>校验位</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>子机地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>接线方式</source>
        <translation>wiring</translation>
    </message>
    <message>
        <source>脉冲宽度</source>
        <translation>Pulse width</translation>
    </message>
    <message>
        <source>%1 至 %2 之间的整数</source>
        <translation>a whole number from %1 to %2</translation>
    </message>
    <message>
        <source>“仪表设置”中的一种接线方式</source>
        <translation>one of the wiring modes of &quot;Meter settings&quot;</translation>
    </message>
</context>
<context>
    <name>ProfileWindow</name>
    <message>
        <source>仪表的设置与配置文件相同, 没有需要写入的设置。</source>
        <translation>The meter already holds the profile; there is nothing to write.</translation>
    </message>
    <message>
        <source>给出配置文件、目标地址和新仪表的通讯设置后按 开始调试。</source>
        <translation>Give a profile, the target addresses and the new meters&apos; line settings, then press Start commissioning.</translation>
    </message>
    <message>
        <source>全部 %1 台仪表已调试, 记录在 %2。</source>
        <translation>All %1 meters commissioned, recorded in %2.</translation>
    </message>
    <message>
        <source>接好下一台仪表后按 继续</source>
        <translation>Connect the next meter, then press Continue</translation>
    </message>
    <message>
        <source> (第 %1/%2 台: 地址 %3 %4)</source>
        <translation> (meter %1 of %2: address %3 %4)</translation>
    </message>
    <message>
        <source>地址 %1 %2</source>
        <translation>Address %1 %2</translation>
    </message>
    <message>
        <source>地址 %1 在任何波特率和校验位下都没有回答。</source>
        <translation>Nothing answers at address %1 at any baud rate and parity.</translation>
    </message>
    <message>
        <source>配置文件</source>
        <translation>Profiles</translation>
    </message>
    <message>
        <source>(未打开)</source>
        <translation>(none open)</translation>
    </message>
    <message>
        <source>配置文件:</source>
        <translation>Profile:</translation>
    </message>
    <message>
        <source>打开…</source>
        <translation>Open…</translation>
    </message>
    <message>
        <source>保存…</source>
        <translation>Save…</translation>
    </message>
    <message>
        <source>子机地址</source>
        <translation>Address</translation>
    </message>
    <message>
        <source>读取</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>比较</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>仪表</source>
        <translation>Meters</translation>
    </message>
    <message>
        <source>相同/不同</source>
        <translation>Same/differs</translation>
    </message>
    <message>
        <source>比较结果</source>
        <translation>Comparison</translation>
    </message>
    <message>
        <source>逐台调试</source>
        <translation>Commissioning</translation>
    </message>
    <message>
        <source>目标地址</source>
        <translation>Target addresses</translation>
    </message>
    <message>
        <source>例如 2-21, 或每行一台: 2 进线柜</source>
        <translation>for example 2-21, or one per line: 2 Incomer</translation>
    </message>
    <message>
        <source>新仪表地址</source>
        <translation>New meters&apos; address</translation>
    </message>
    <message>
        <source>新仪表波特率</source>
        <translation>New meters&apos; baud rate</translation>
    </message>
    <message>
        <source>新仪表校验位</source>
        <translation>New meters&apos; parity</translation>
    </message>
    <message>
        <source>查找第一台</source>
        <translation>Find first meter</translation>
    </message>
    <message>
        <source>开始调试…</source>
        <translation>Start commissioning…</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>调试步骤</source>
        <translation>Commissioning step</translation>
    </message>
    <message>
        <source>调试结果</source>
        <translation>Commissioning results</translation>
    </message>
    <message>
        <source>打开配置文件</source>
        <translation>Open profile</translation>
    </message>
    <message>
        <source>配置文件 (*.json)</source>
        <translation>Profiles (*.json)</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>没有可保存的配置文件: 请先读取仪表或打开一个文件。</source>
        <translation>No profile to save: read a meter or open a file first.</translation>
    </message>
    <message>
        <source>(已读取, 未保存)</source>
        <translation>(read, not saved)</translation>
    </message>
    <message>
        <source>请先打开一个配置文件, 或读取一台仪表。</source>
        <translation>Open a profile or read a meter first.</translation>
    </message>
    <message>
        <source>将写入以下 %1 项设置 (仪表 -&gt; 配置文件):</source>
        <translation>These %1 settings will be written (meter -&gt; profile):</translation>
    </message>
    <message>
        <source>将写入的设置</source>
        <translation>Settings to write</translation>
    </message>
    <message>
        <source>写入</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Quantities</name>
    <message>
        <source>合相</source>
        <translation>Total</translation>
    </message>
    <message>
        <source>A相</source>
        <translation>A</translation>
    </message>
    <message>
        <source>B相</source>
        <translation>B</translation>
    </message>
    <message>
        <source>C相</source>
        <translation>C</translation>
    </message>
    <message>
        <source>CA线</source>
        <translation>CA</translation>
    </message>
    <message>
        <source>AB线</source>
        <translation>AB</translation>
    </message>
    <message>
        <source>BC线</source>
        <translation>BC</translation>
    </message>
    <message>
        <source>相电压</source>
        <translation>phase voltage</translation>
    </message>
    <message>
        <source>线电压</source>
        <translation>line voltage</translation>
    </message>
    <message>
        <source>相电流</source>
        <translation>current</translation>
    </message>
    <message>
        <source>有功功率</source>
        <translation>active power</translation>
    </message>
    <message>
        <source>无功功率</source>
        <translation>reactive power</translation>
    </message>
    <message>
        <source>视在功率</source>
        <translation>apparent power</translation>
    </message>
    <message>
        <source>功率因数</source>
        <translation>power factor</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>正向有功电能</source>
        <translation>Import active energy</translation>
    </message>
    <message>
        <source>负向有功电能</source>
        <translation>Export active energy</translation>
    </message>
    <message>
        <source>正向无功电能</source>
        <translation>Import reactive energy</translation>
    </message>
    <message>
        <source>负向无功电能</source>
        <translation>Export reactive energy</translation>
    </message>
    <message>
        <source>计数</source>
        <translation>count</translation>
    </message>
    <message>
        <source>通讯成功率</source>
        <translation>Success rate</translation>
    </message>
    <message>
        <source>三相平均</source>
        <translation>3-phase mean</translation>
    </message>
    <message>
        <source>三相合计</source>
        <translation>3-phase sum</translation>
    </message>
</context>
<context>
    <name>RecordFileQuestion</name>
    <message>
        <source>记录数据</source>
        <translation>Record data</translation>
    </message>
    <message>
        <source>文件 %1 已有一份同样各列的记录。</source>
        <translation>The file %1 already holds a recording with the same columns.</translation>
    </message>
    <message>
        <source>文件 %1 已有其他内容，不是同样各列的记录。</source>
        <translation>The file %1 already holds something else, not a recording with the same columns.</translation>
    </message>
    <message>
        <source>新的行可以接在文件末尾；覆盖则原有的记录全部丢失。</source>
        <translation>New rows can follow at its end; overwriting loses every row it holds.</translation>
    </message>
    <message>
        <source>覆盖则文件原有的内容全部丢失。</source>
        <translation>Overwriting loses everything the file holds.</translation>
    </message>
    <message>
        <source>继续记录到文件末尾</source>
        <translation>Continue at the end of the file</translation>
    </message>
    <message>
        <source>覆盖</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>RecordingControls</name>
    <message>
        <source>记录中: %1 (%2 行)</source>
        <translation>Recording: %1 (%2 rows)</translation>
    </message>
    <message>
        <source>停止记录</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source>记录数据</source>
        <translation>Record data</translation>
    </message>
    <message>
        <source>已记录 %1 行：%2</source>
        <translation>Recorded %1 rows: %2</translation>
    </message>
</context>
<context>
    <name>RegisterNames</name>
    <message>
        <source>测量数据</source>
        <translation>measurements</translation>
    </message>
    <message>
        <source>模块</source>
        <translation>modules</translation>
    </message>
    <message>
        <source>设备信息</source>
        <translation>device info</translation>
    </message>
    <message>
        <source>子机地址</source>
        <translation>slave address</translation>
    </message>
    <message>
        <source>计数</source>
        <translation>counts</translation>
    </message>
    <message>
        <source>电能脉冲参数</source>
        <translation>energy pulse</translation>
    </message>
    <message>
        <source>接线方式</source>
        <translation>wiring</translation>
    </message>
    <message>
        <source>校验方式</source>
        <translation>parity</translation>
    </message>
    <message>
        <source>波特率</source>
        <translation>baud rate</translation>
    </message>
    <message>
        <source>脉冲宽度</source>
        <translation>pulse width</translation>
    </message>
    <message>
        <source>电能脉冲值</source>
        <translation>energy pulse value</translation>
    </message>
    <message>
        <source>电能脉冲宽度</source>
        <translation>energy pulse width</translation>
    </message>
    <message>
        <source>谐波 %1</source>
        <translation>harmonics %1</translation>
    </message>
    <message>
        <source>继电器模块 %1#</source>
        <translation>relay module %1#</translation>
    </message>
    <message>
        <source>模拟量模块 %1#</source>
        <translation>analog module %1#</translation>
    </message>
    <message>
        <source>继电器模块 %1# 继电器 %2</source>
        <translation>relay module %1# relay %2</translation>
    </message>
    <message>
        <source>模拟量模块 %1# 输出 %2</source>
        <translation>analog module %1# output %2</translation>
    </message>
</context>
<context>
    <name>RelayBlock</name>
    <message>
        <source>列表中的一项</source>
        <translation>an item of the list</translation>
    </message>
</context>
<context>
    <name>SerialPort</name>
    <message>
        <source>无法打开串口 COM%1：没有对应的串口设备。</source>
        <translation>Cannot open serial port COM%1: there is no such serial device.</translation>
    </message>
    <message>
        <source>无法打开串口 COM%1 (%2)：%3</source>
        <translation>Cannot open serial port COM%1 (%2): %3</translation>
    </message>
    <message>
        <source><byte value="xd"/>
请确认串口未被其他程序占用，并将当前用户加入 dialout 组。</source>
        <translation><byte value="xd"/>
Make sure no other program uses the port and that the user is in the dialout group.</translation>
    </message>
    <message>
        <source>串口 COM%1 (%2) 已断开：%3</source>
        <translation>Serial port COM%1 (%2) disconnected: %3</translation>
    </message>
    <message>
        <source>无对应设备</source>
        <translation>no device</translation>
    </message>
    <message>
        <source>无法连接 COM%1 (%2)：%3</source>
        <translation>Cannot connect COM%1 (%2): %3</translation>
    </message>
    <message>
        <source>COM%1 (%2) 的连接中断：%3</source>
        <translation>The connection of COM%1 (%2) was lost: %3</translation>
    </message>
    <message>
        <source>串口已被其他程序占用</source>
        <translation>the serial port is in use by another program</translation>
    </message>
    <message>
        <source><byte value="xd"/>
请先关闭正在使用该串口的程序 (例如 rd5800d 或另一个 RD5800)，再试一次。</source>
        <translation><byte value="xd"/>
Close the program that uses the port (for example rd5800d or another RD5800), then try again.</translation>
    </message>
</context>
<context>
    <name>TcpPort</name>
    <message>
        <source>连接被拒绝</source>
        <translation>connection refused</translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>connection timed out</translation>
    </message>
    <message>
        <source>找不到主机</source>
        <translation>host not found</translation>
    </message>
    <message>
        <source>连接已断开</source>
        <translation>connection closed</translation>
    </message>
    <message>
        <source>连接已断开 (%1)</source>
        <translation>connection closed (%1)</translation>
    </message>
    <message>
        <source>连接已断开 (网关接受连接后随即将其关闭：可能已有其他程序连接到该网关)</source>
        <translation>connection lost (the gateway closed it right after accepting it: another program may already be connected to the gateway)</translation>
    </message>
</context>
<context>
    <name>TrafficModel</name>
    <message>
        <source>请求 %1    有效应答 %2    无应答 %3    CRC 错误 %4    其他故障 %5</source>
        <translation>Requests %1    Valid replies %2    No reply %3    CRC errors %4    Other faults %5</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>方向</source>
        <translation>Dir.</translation>
    </message>
    <message>
        <source>数据</source>
        <translation>Data</translation>
    </message>
    <message>
        <source>说明</source>
        <translation>Meaning</translation>
    </message>
    <message>
        <source>耗时(ms)</source>
        <translation>Time (ms)</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>接收</source>
        <translation>Recv</translation>
    </message>
</context>
<context>
    <name>TrafficWindow</name>
    <message>
        <source>通讯监视</source>
        <translation>Line monitor</translation>
    </message>
    <message>
        <source>发送</source>
        <translation>Sent</translation>
    </message>
    <message>
        <source>耗时(ms)</source>
        <translation>Time (ms)</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>文本文件 (*.txt);;所有文件 (*)</source>
        <translation>Text files (*.txt);;All files (*)</translation>
    </message>
    <message>
        <source>继续</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>通讯记录未能保存到 %1：%2</source>
        <translation>The line log could not be saved to %1: %2</translation>
    </message>
</context>
<context>
    <name>TrendDlg</name>
    <message>
        <source>趋势图</source>
        <translation>Trends</translation>
    </message>
    <message>
        <source>曲线%1</source>
        <translation>Curve %1</translation>
    </message>
    <message>
        <source>(无)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>时间范围:</source>
        <translation>Time span:</translation>
    </message>
    <message>
        <source>10 分钟</source>
        <translation>10 min</translation>
    </message>
    <message>
        <source>1 小时</source>
        <translation>1 hour</translation>
    </message>
    <message>
        <source>8 小时</source>
        <translation>8 hours</translation>
    </message>
    <message>
        <source>时间</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>趋势曲线</source>
        <translation>Trend curves</translation>
    </message>
</context>
<context>
    <name>ValueField</name>
    <message>
        <source>PT变比</source>
        <translation>PT ratio</translation>
    </message>
    <message>
        <source>CT变比</source>
        <translation>CT ratio</translation>
    </message>
    <message>
        <source>PT或CT变比</source>
        <translation>PT or CT ratio</translation>
    </message>
    <message>
        <source>仪表的%1为0, 无法换算成寄存器值</source>
        <translation>the meter&apos;s %1 is 0; the value cannot be converted</translation>
    </message>
    <message>
        <source>0 至 %1 之间的整数</source>
        <translation>a whole number from 0 to %1</translation>
    </message>
    <message>
        <source>%1 至 %2 之间的数值</source>
        <translation>a value from %1 to %2</translation>
    </message>
</context>
<context>
    <name>WiringDiagnosis</name>
    <message>
        <source>，</source>
        <translation>, </translation>
    </message>
    <message>
        <source>3相3线接线：仪表按线电压测量，不检查相电压缺失、三相电压不平衡和线电压与相电压之比</source>
        <translation>3-phase 3-wire: the meter measures line voltages; missing phase voltages, voltage unbalance and the line to phase voltage ratio are not checked</translation>
    </message>
    <message>
        <source>单相接线：只检查A相</source>
        <translation>Single-phase wiring: only phase A is checked</translation>
    </message>
    <message>
        <source>未测到电压：电压未接入或线路未带电，无法判断接线</source>
        <translation>No voltage measured: the voltage inputs are not connected or the line is dead; the wiring cannot be judged</translation>
    </message>
    <message>
        <source>最大电压 %1，至少需要 %2</source>
        <translation>largest voltage %1, at least %2 needed</translation>
    </message>
    <message>
        <source>%1相电压缺失</source>
        <translation>Phase %1 voltage missing</translation>
    </message>
    <message>
        <source>U%1 %2，最大相电压 %3</source>
        <translation>U%1 %2, largest phase voltage %3</translation>
    </message>
    <message>
        <source>三相电压不平衡</source>
        <translation>Three-phase voltages unbalanced</translation>
    </message>
    <message>
        <source>%1，平均 %2，最大偏差 %3 %</source>
        <translation>%1, mean %2, largest deviation %3 %</translation>
    </message>
    <message>
        <source>线电压与相电压之比不是 √3：接线方式设置或电压接线有误</source>
        <translation>Line to phase voltage ratio is not √3: the wiring mode setting or the voltage wiring is wrong</translation>
    </message>
    <message>
        <source>平均线电压 %1，平均相电压 %2，比值 %3（应为 1.732 ± 5 %）</source>
        <translation>mean line voltage %1, mean phase voltage %2, ratio %3 (should be 1.732 ± 5 %)</translation>
    </message>
    <message>
        <source>负载电流过小，无法判断相位</source>
        <translation>Load current too small to judge the phase angles</translation>
    </message>
    <message>
        <source>最大电流 %1，至少需要 %2</source>
        <translation>largest current %1, at least %2 needed</translation>
    </message>
    <message>
        <source>%1相无电流</source>
        <translation>No current on phase %1</translation>
    </message>
    <message>
        <source>I%1 %2，最大电流 %3</source>
        <translation>I%1 %2, largest current %3</translation>
    </message>
    <message>
        <source>有电流的相没有电压或功率读数，无法判断相位</source>
        <translation>The phases with current have no voltage or power reading; the phase angles cannot be judged</translation>
    </message>
    <message>
        <source>各相电流与电压相位不符，无法判断是哪一相：请检查电流互感器的相序和方向</source>
        <translation>The currents do not match the voltages, and the angles cannot tell which phase: check the order and direction of the current transformers</translation>
    </message>
    <message>
        <source>φ%1 %2，参考 φ%3 %4，相差 %5，P%1 %6</source>
        <translation>φ%1 %2, reference φ%3 %4, difference %5, P%1 %6</translation>
    </message>
    <message>
        <source>%1相电流互感器可能接反</source>
        <translation>Phase %1 current transformer may be reversed</translation>
    </message>
    <message>
        <source>%1相电流与电压相位不符，电流互感器可能接在其他相</source>
        <translation>Phase %1 current does not match its voltage: the current transformer may be on another phase</translation>
    </message>
    <message>
        <source>三相有功均为负：电能反送，或三只互感器均接反</source>
        <translation>Active power negative on all three phases: power is fed back, or all three current transformers are reversed</translation>
    </message>
    <message>
        <source>带负载的相有功均为负：电能反送，或电流互感器接反</source>
        <translation>Active power negative on every loaded phase: power is fed back, or the current transformers are reversed</translation>
    </message>
    <message>
        <source>总功率因数偏低</source>
        <translation>Total power factor low</translation>
    </message>
    <message>
        <source>总功率因数 %1</source>
        <translation>total power factor %1</translation>
    </message>
    <message>
        <source>频率超出范围</source>
        <translation>Frequency out of range</translation>
    </message>
    <message>
        <source>频率 %1 Hz，额定 %2 Hz ± %3 Hz</source>
        <translation>frequency %1 Hz, nominal %2 Hz ± %3 Hz</translation>
    </message>
    <message>
        <source>错误</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>警告</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>提示</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>3相4线(非平衡)</source>
        <translation>3P4W (unbalanced)</translation>
    </message>
    <message>
        <source>单相2线</source>
        <translation>1P2W</translation>
    </message>
    <message>
        <source>3相3线(非平衡)</source>
        <translation>3P3W (unbalanced)</translation>
    </message>
    <message>
        <source>3相3线(平衡)</source>
        <translation>3P3W (balanced)</translation>
    </message>
    <message>
        <source>单相3线</source>
        <translation>1P3W</translation>
    </message>
    <message>
        <source>3相4线(平衡)</source>
        <translation>3P4W (balanced)</translation>
    </message>
    <message>
        <source>未知代码 %1（按3相4线检查）</source>
        <translation>unknown code %1 (checked as 3-phase 4-wire)</translation>
    </message>
    <message>
        <source>%1相：U %2 ∠%3，I %4，φ 未知（无功率读数），PF %5</source>
        <translation>Phase %1: U %2 ∠%3, I %4, φ unknown (no power reading), PF %5</translation>
    </message>
    <message>
        <source>%1相：U %2 ∠%3，I %4 ∠%5，φ %6，PF %7</source>
        <translation>Phase %1: U %2 ∠%3, I %4 ∠%5, φ %6, PF %7</translation>
    </message>
    <message>
        <source>%1：%2（%3）</source>
        <translation>%1: %2 (%3)</translation>
    </message>
    <message>
        <source>%1相</source>
        <translation>phase %1</translation>
    </message>
    <message>
        <source>%1和%2</source>
        <translation>%1 and %2</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>%1（去掉 %2 为 %3）</source>
        <translation>%1 (%3 with %2 taken out)</translation>
    </message>
    <message>
        <source>最大电压 %1，即仪表输入 %2（PT %3），仪表输入至少需要 %4</source>
        <translation>largest voltage %1, that is %2 at the meter&apos;s input (PT %3); the input needs at least %4</translation>
    </message>
    <message>
        <source>最大电流 %1，即仪表输入 %2（CT %3），仪表输入至少需要 %4</source>
        <translation>largest current %1, that is %2 at the meter&apos;s input (CT %3); the input needs at least %4</translation>
    </message>
    <message>
        <source>%1电流互感器可能接反，或电能反送且%2电流互感器接反</source>
        <translation>Current transformers of %1 may be reversed, or power is fed back and the current transformer of %2 is reversed</translation>
    </message>
    <message>
        <source>%1；%2</source>
        <translation>%1; %2</translation>
    </message>
    <message>
        <source>%1相：%2 %3 ∠%4，I %5，φ 未知（无功率读数），PF %6</source>
        <translation>Phase %1: %2 %3 ∠%4, I %5, φ unknown (no power reading), PF %6</translation>
    </message>
    <message>
        <source>%1相：%2 %3 ∠%4，I %5 ∠%6，φ %7，PF %8</source>
        <translation>Phase %1: %2 %3 ∠%4, I %5 ∠%6, φ %7, PF %8</translation>
    </message>
</context>
<context>
    <name>WiringDlg</name>
    <message>
        <source>接线检查</source>
        <translation>Wiring check</translation>
    </message>
    <message>
        <source>接线方式</source>
        <translation>Wiring mode</translation>
    </message>
    <message>
        <source>接线方式：尚无读数</source>
        <translation>Wiring mode: no reading yet</translation>
    </message>
    <message>
        <source>检查结果</source>
        <translation>Findings</translation>
    </message>
    <message>
        <source>尚无读数：请在主窗口按“运行”开始轮询</source>
        <translation>No reading yet: press &quot;Run&quot; in the main window to start polling</translation>
    </message>
    <message>
        <source>仪表不提供相角：电压按 A 0°、B -120°、C +120° 画出，各相电流画在其电压角减去 φ = atan2(Q, P) 处（φ 为正表示电流滞后）；长度按最大电压和最大电流缩放。</source>
        <translation>The meter reports no angles: the voltages are drawn at A 0°, B -120°, C +120°, each current at its voltage&apos;s angle minus φ = atan2(Q, P) (a positive φ means the current lags); lengths are scaled to the largest voltage and the largest current.</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>接线方式：%1&#x3000;读数时间 %2</source>
        <translation>Wiring mode: %1   read at %2</translation>
    </message>
    <message>
        <source>未发现接线问题</source>
        <translation>No wiring problem found</translation>
    </message>
    <message>
        <source>说明：%1</source>
        <translation>Note: %1</translation>
    </message>
    <message>
        <source>3相3线：仪表只有两个元件，A 元件测 IA 对 UAB（画在 +30°），C 元件测 IC 对 UCB（画在 +90°），电流画在其元件电压角减去 φ 处。图中和图例的 φ 是元件自身的角：平衡负载时 A 元件比负载角大 30°，C 元件小 30°，检查先去掉这 ±30° 再比较。B 相没有电流互感器，不画也不检查。</source>
        <translation>3-phase 3-wire: the meter has two elements, A measuring IA against UAB (drawn at +30°) and C measuring IC against UCB (drawn at +90°); each current is drawn at its element&apos;s voltage angle minus φ. The φ in the diagram and the legend are the elements&apos; own angles: on a balanced load element A reads 30° more than the load angle and element C 30° less, and the check takes these ±30° out before comparing. Phase B has no current transformer and is neither drawn nor checked.</translation>
    </message>
</context>
<context>
    <name>WriteReport</name>
    <message>
        <source>参数设置成功</source>
        <translation>Settings written</translation>
    </message>
    <message>
        <source>参数未全部设置成功: 以下寄存器没有应答, 其设置可能未被仪表接受:
%1</source>
        <translation>Not all settings were written: these registers did not answer, the meter may not have taken them:
%1</translation>
    </message>
</context>
<context>
    <name>nolvex</name>
    <message>
        <source>用法: nolvex [--port NAME] [--lang zh|en]
RD5800 插件模块参数设置程序: 继电器、4-20mA 模拟量输出与电能脉冲模块。
--port NAME: 1 号串口 (COM1) 使用的设备, 同环境变量 RD5800_COM1, 例如 /dev/ttyUSB0。
--lang zh|en: 界面语言 (不给时按系统语言, C/POSIX 时为中文)。
使用 1 号串口 (9600,N,8,1), 子机地址 1; 设备可由环境变量 RD5800_COM1 指定, 例如 RD5800_COM1=/dev/ttyUSB0。
</source>
        <translation>Usage: nolvex [--port NAME] [--lang zh|en]
Settings of the RD5800 plug-in modules: relays, 4-20mA analog outputs and energy pulses.
--port NAME: the device of serial port 1 (COM1), as the variable RD5800_COM1, e.g. /dev/ttyUSB0.
--lang zh|en: interface language (default: the system language; Chinese for C/POSIX).
Uses serial port 1 (9600,N,8,1), slave address 1; the environment variable RD5800_COM1 names the device, e.g. RD5800_COM1=/dev/ttyUSB0.
</translation>
    </message>
    <message>
        <source>nolvex: %1
请用 nolvex --help 查看全部选项。
</source>
        <translation>nolvex: %1
See nolvex --help for all options.
</translation>
    </message>
    <message>
        <source>多余的参数: %1</source>
        <translation>unexpected arguments: %1</translation>
    </message>
    <message>
        <source>--lang 只接受 zh 或 en</source>
        <translation>--lang accepts only zh or en</translation>
    </message>
    <message>
        <source>--port 需要一个设备名, 例如 /dev/ttyUSB0</source>
        <translation>--port needs a device name, e.g. /dev/ttyUSB0</translation>
    </message>
    <message>
        <source>
网关: 端口名 (--port NAME 或 RD5800_COM1=NAME) 也可以是以太网网关:
  tcp://主机:端口         透明网关, RTU 帧原样经 TCP 传输 (常用端口 4196、8899、502)
  modbus-tcp://主机:端口  Modbus TCP 网关, 单元号 = 仪表地址 (常用端口 502)
  例如 RD5800_COM1=modbus-tcp://192.168.1.20:502。经网关时串口参数 (9600,N,8,1)
  在网关上设置。
</source>
        <translation>
Gateways: a port name (--port NAME or RD5800_COM1=NAME) may also be an Ethernet gateway:
  tcp://HOST:PORT         transparent gateway, RTU frames unchanged over TCP (commonly port 4196, 8899, 502)
  modbus-tcp://HOST:PORT  Modbus TCP gateway, unit id = meter address (commonly port 502)
  For example RD5800_COM1=modbus-tcp://192.168.1.20:502. Over a gateway the serial settings (9600,N,8,1)
  are made on the gateway.
</translation>
    </message>
    <message>
        <source>--timeout MS: 经网关时应答的等待余量, 毫秒 (10..60000, 默认 1000)。
</source>
        <translation>--timeout MS: over a gateway, how long a reply may take, in ms (10..60000, default 1000).
</translation>
    </message>
    <message>
        <source>--timeout 只接受 10 到 60000 之间的毫秒数</source>
        <translation>--timeout accepts only milliseconds from 10 to 60000</translation>
    </message>
</context>
<context>
    <name>rd5800-profile</name>
    <message>
        <source>设置	配置文件	仪表	相同/不同
</source>
        <translation>Setting	Profile	Meter	Same/differs
</translation>
    </message>
    <message>
        <source>无法打开端口 %1: %2
</source>
        <translation>Cannot open port %1: %2
</translation>
    </message>
    <message>
        <source>%1 项设置不同。
</source>
        <translation>%1 settings differ.
</translation>
    </message>
    <message>
        <source>仪表的设置与配置文件相同。
</source>
        <translation>The meter holds the profile.
</translation>
    </message>
    <message>
        <source>将写入以下 %1 项设置 (仪表 -&gt; 配置文件):
%2
写入吗? [y/N] </source>
        <translation>These %1 settings will be written (meter -&gt; profile):
%2
Write them? [y/N] </translation>
    </message>
    <message>
        <source>没有写入任何设置。
</source>
        <translation>Nothing was written.
</translation>
    </message>
    <message>
        <source>用法:
  rd5800-profile read  --port NAME --address N [--baud B] [--parity N|E|O] [-o FILE]
  rd5800-profile diff  FILE --port NAME --address N [--baud B] [--parity N|E|O]
  rd5800-profile apply FILE --port NAME --address N [--baud B] [--parity N|E|O]
                       [--new-address M] [--yes]

  read   读取仪表的全部设置, 写成配置文件 (没有 -o 时输出到标准输出)
  diff   比较配置文件与仪表: 退出码 0 相同, 1 不同, 3 仪表无法读取
  apply  只写入不同的设置 (先 PT, CT, 接线方式, 脉冲宽度, 模块, 再子机地址,
         最后校验位和波特率), 每项读回核对; 没有 --yes 时先列出不同并询问.
         退出码 0 已写入并核对 (或本来相同), 1 失败或未确认, 2 输入错误

  --port NAME      串口设备 (/dev/ttyUSB0), tcp://HOST:PORT 或 modbus-tcp://HOST:PORT
  --address N      仪表现在的子机地址 1..247
  --baud B         仪表现在的波特率 1200, 2400, 4800, 9600, 19200 (默认 9600)
  --parity N|E|O   仪表现在的校验方式 (默认 N)
  --new-address M  apply: 以地址 M 代替配置文件中的子机地址
  --yes            apply: 不询问, 直接写入
  --lang zh|en     界面语言
</source>
        <translation>Usage:
  rd5800-profile read  --port NAME --address N [--baud B] [--parity N|E|O] [-o FILE]
  rd5800-profile diff  FILE --port NAME --address N [--baud B] [--parity N|E|O]
  rd5800-profile apply FILE --port NAME --address N [--baud B] [--parity N|E|O]
                       [--new-address M] [--yes]

  read   reads every setting of the meter into a profile (standard output without -o)
  diff   compares a profile with the meter: exit code 0 same, 1 differs, 3 meter not read
  apply  writes only the differing settings (PT, CT, wiring, pulse width, modules first,
         then the slave address, parity and baud rate last), each read back; without
         --yes it lists the differences and asks first.
         Exit code 0 written and verified (or already the same), 1 failed or declined, 2 bad input

  --port NAME      serial device (/dev/ttyUSB0), tcp://HOST:PORT or modbus-tcp://HOST:PORT
  --address N      the meter&apos;s present slave address 1..247
  --baud B         the meter&apos;s present baud rate 1200, 2400, 4800, 9600, 19200 (default 9600)
  --parity N|E|O   the meter&apos;s present parity (default N)
  --new-address M  apply: address M instead of the profile&apos;s slave address
  --yes            apply: write without asking
  --lang zh|en     interface language
</translation>
    </message>
    <message>
        <source>未知的选项 %1</source>
        <translation>unknown option %1</translation>
    </message>
    <message>
        <source>%1 需要一个值</source>
        <translation>%1 needs a value</translation>
    </message>
    <message>
        <source>--port 需要一个端口名</source>
        <translation>--port needs a port name</translation>
    </message>
    <message>
        <source>--address 只接受 1 至 247 之间的整数</source>
        <translation>--address accepts only a whole number from 1 to 247</translation>
    </message>
    <message>
        <source>--new-address 只接受 1 至 247 之间的整数</source>
        <translation>--new-address accepts only a whole number from 1 to 247</translation>
    </message>
    <message>
        <source>--baud 只接受 1200, 2400, 4800, 9600 或 19200</source>
        <translation>--baud accepts only 1200, 2400, 4800, 9600 or 19200</translation>
    </message>
    <message>
        <source>--parity 只接受 N, E 或 O</source>
        <translation>--parity accepts only N, E or O</translation>
    </message>
    <message>
        <source>请给出 read, diff 或 apply</source>
        <translation>give read, diff or apply</translation>
    </message>
    <message>
        <source>未知的命令 %1 (read, diff 或 apply)</source>
        <translation>unknown command %1 (read, diff or apply)</translation>
    </message>
    <message>
        <source>%1 需要一个配置文件</source>
        <translation>%1 needs a profile file</translation>
    </message>
    <message>
        <source>read 不需要文件参数 (输出文件用 -o)</source>
        <translation>read takes no file argument (use -o for the output file)</translation>
    </message>
    <message>
        <source>请用 --port 给出端口</source>
        <translation>give the port with --port</translation>
    </message>
    <message>
        <source>请用 --address 给出仪表现在的子机地址</source>
        <translation>give the meter&apos;s present slave address with --address</translation>
    </message>
    <message>
        <source>--new-address 只用于 apply</source>
        <translation>--new-address is for apply only</translation>
    </message>
</context>
<context>
    <name>rd5800d</name>
    <message>
        <source>无法在 %1:%2 上提供 HTTP 服务 (端口被占用或无权使用)</source>
        <translation>Cannot serve HTTP on %1:%2 (port in use or not permitted)</translation>
    </message>
    <message>
        <source>无法读取密码文件 %1: %2</source>
        <translation>Cannot read the password file %1: %2</translation>
    </message>
    <message>
        <source>错误 %1</source>
        <translation>error %1</translation>
    </message>
    <message>
        <source>连接中断</source>
        <translation>connection lost</translation>
    </message>
    <message>
        <source>无法打开 %1：%2</source>
        <translation>Cannot open %1: %2</translation>
    </message>
    <message>
        <source> (服务的用户需要在 dialout 组中)</source>
        <translation> (the service&apos;s user must be in the dialout group)</translation>
    </message>
    <message>
        <source>%1 已断开：%2</source>
        <translation>%1 lost: %2</translation>
    </message>
    <message>
        <source>无法创建记录文件夹 %1</source>
        <translation>Cannot create the recording folder %1</translation>
    </message>
    <message>
        <source>HTTP 服务: http://%1:%2/metrics</source>
        <translation>HTTP service: http://%1:%2/metrics</translation>
    </message>
    <message>
        <source>已连接 MQTT 服务器 %1:%2</source>
        <translation>Connected to the MQTT broker %1:%2</translation>
    </message>
    <message>
        <source>MQTT 服务器 %1:%2 不可用 (%3), %4 秒后重试</source>
        <translation>MQTT broker %1:%2 unavailable (%3), retrying in %4 s</translation>
    </message>
    <message>
        <source>%1 已重新打开</source>
        <translation>%1 open again</translation>
    </message>
    <message>
        <source>开始轮询 %1 台仪表 (%2, 每 %3 秒): %4</source>
        <translation>Polling %1 meters (%2, every %3 s): %4</translation>
    </message>
    <message>
        <source>仪表 %1 (地址 %2) 在线</source>
        <translation>Meter %1 (address %2) online</translation>
    </message>
    <message>
        <source>仪表 %1 (地址 %2) 连续 %3 次未应答, 离线</source>
        <translation>Meter %1 (address %2) did not answer %3 polls in a row, offline</translation>
    </message>
    <message>
        <source>收到停止信号, 正在结束</source>
        <translation>Stop signal received, ending</translation>
    </message>
    <message>
        <source>多余的参数: %1</source>
        <translation>Unexpected argument: %1</translation>
    </message>
    <message>
        <source>未知的选项: --%1</source>
        <translation>Unknown option: --%1</translation>
    </message>
    <message>
        <source>--%1 不带值</source>
        <translation>--%1 takes no value</translation>
    </message>
    <message>
        <source>--%1 缺少值</source>
        <translation>--%1 needs a value</translation>
    </message>
    <message>
        <source>无法读取配置文件 %1</source>
        <translation>Cannot read the configuration file %1</translation>
    </message>
    <message>
        <source>%1: 无法理解的行: %2</source>
        <translation>%1: line not understood: %2</translation>
    </message>
    <message>
        <source>%1: %2 不带值</source>
        <translation>%1: %2 takes no value</translation>
    </message>
    <message>
        <source>%1: %2 缺少值</source>
        <translation>%1: %2 needs a value</translation>
    </message>
    <message>
        <source>--adapter 需要一个设备名或网关地址</source>
        <translation>--adapter needs a device name or a gateway address</translation>
    </message>
    <message>
        <source>--adapter %1: %2</source>
        <translation>--adapter %1: %2</translation>
    </message>
    <message>
        <source>--baud 只接受 1200, 2400, 4800, 9600 或 19200</source>
        <translation>--baud accepts only 1200, 2400, 4800, 9600 or 19200</translation>
    </message>
    <message>
        <source>--parity 只接受 N, E 或 O</source>
        <translation>--parity accepts only N, E or O</translation>
    </message>
    <message>
        <source>--meter 应为 名称=地址 或 名称=地址@适配器 (名称只含字母, 数字, _ 和 -): %1</source>
        <translation>--meter must be NAME=ADDRESS or NAME=ADDRESS@ADAPTER (the name only letters, digits, _ and -): %1</translation>
    </message>
    <message>
        <source>--meter %1: 地址应在 1 到 247 之间</source>
        <translation>--meter %1: the address must be 1 to 247</translation>
    </message>
    <message>
        <source>仪表名称重复: %1</source>
        <translation>Meter name given twice: %1</translation>
    </message>
    <message>
        <source>--interval 只接受 1 到 86400 之间的秒数</source>
        <translation>--interval accepts only seconds from 1 to 86400</translation>
    </message>
    <message>
        <source>--mqtt-password-file 需要一个文件名</source>
        <translation>--mqtt-password-file needs a file name</translation>
    </message>
    <message>
        <source>--mqtt-prefix 不能为空, 不能含 #, + 或空白, 不能以 / 开头或结尾</source>
        <translation>--mqtt-prefix must not be empty, hold #, + or white space, or begin or end with /</translation>
    </message>
    <message>
        <source>--http 应为 地址:端口, 例如 127.0.0.1:9580</source>
        <translation>--http must be ADDRESS:PORT, e.g. 127.0.0.1:9580</translation>
    </message>
    <message>
        <source>--record-dir 需要一个文件夹</source>
        <translation>--record-dir needs a folder</translation>
    </message>
    <message>
        <source>没有仪表: 请用 --meter NAME=ADDRESS 指定至少一台</source>
        <translation>No meter: name at least one with --meter NAME=ADDRESS</translation>
    </message>
    <message>
        <source>没有适配器: 请用 --adapter 指定串口设备或网关</source>
        <translation>No adapter: name a serial device or a gateway with --adapter</translation>
    </message>
    <message>
        <source>--meter %1: %2</source>
        <translation>--meter %1: %2</translation>
    </message>
    <message>
        <source>地址重复: %1 与 %2 在 %3 上都是地址 %4</source>
        <translation>Address given twice: %1 and %2 both have address %4 on %3</translation>
    </message>
    <message>
        <source>--mqtt-user 需要 --mqtt</source>
        <translation>--mqtt-user needs --mqtt</translation>
    </message>
    <message>
        <source>rd5800d: %1
请用 rd5800d --help 查看全部选项。
</source>
        <translation>rd5800d: %1
See rd5800d --help for all options.
</translation>
    </message>
    <message>
        <source>--config 需要一个文件名</source>
        <translation>--config needs a file name</translation>
    </message>
    <message>
        <source>--lang 只接受 zh 或 en</source>
        <translation>--lang accepts only zh or en</translation>
    </message>
    <message>
        <source>--influx 应为 http://主机:端口 或 https://主机:端口, 例如 http://127.0.0.1:8086</source>
        <translation>--influx must be http://HOST:PORT or https://HOST:PORT, e.g. http://127.0.0.1:8086</translation>
    </message>
    <message>
        <source>--influx-db 需要数据库 (或 bucket) 的名称</source>
        <translation>--influx-db needs the name of a database (or bucket)</translation>
    </message>
    <message>
        <source>--%1 需要一个文件名</source>
        <translation>--%1 needs a file name</translation>
    </message>
    <message>
        <source>--influx-measurement 不能为空</source>
        <translation>--influx-measurement must not be empty</translation>
    </message>
    <message>
        <source>--influx-queue-size 只接受 1 到 1000000000 之间的点数</source>
        <translation>--influx-queue-size accepts only a number of points from 1 to 1000000000</translation>
    </message>
    <message>
        <source>--state-dir 需要一个文件夹</source>
        <translation>--state-dir needs a folder</translation>
    </message>
    <message>
        <source>--influx-db, --influx-user, --influx-password-file, --influx-token-file 和 --influx-queue-size 需要 --influx</source>
        <translation>--influx-db, --influx-user, --influx-password-file, --influx-token-file and --influx-queue-size need --influx</translation>
    </message>
    <message>
        <source>--influx 需要 --influx-db</source>
        <translation>--influx needs --influx-db</translation>
    </message>
    <message>
        <source>--influx-token-file 与 --influx-user/--influx-password-file 只能选一种</source>
        <translation>either --influx-token-file or --influx-user/--influx-password-file, not both</translation>
    </message>
    <message>
        <source>--influx-password-file 需要 --influx-user</source>
        <translation>--influx-password-file needs --influx-user</translation>
    </message>
    <message>
        <source>无法创建队列文件夹 %1</source>
        <translation>Cannot create the queue folder %1</translation>
    </message>
    <message>
        <source>无法读取队列文件 %1: %2</source>
        <translation>Cannot read the queue file %1: %2</translation>
    </message>
    <message>
        <source>无法写入队列文件 %1: %2</source>
        <translation>Cannot write the queue file %1: %2</translation>
    </message>
    <message>
        <source>InfluxDB 队列比设定的 %1 点大, 丢弃了最旧的 %2 点</source>
        <translation>The InfluxDB queue is larger than the %1 points set: dropped the oldest %2 points</translation>
    </message>
    <message>
        <source>InfluxDB 队列中有上次留下的 %1 点, 依次发送</source>
        <translation>%1 points left in the InfluxDB queue by the last run: sending them in order</translation>
    </message>
    <message>
        <source>InfluxDB 队列已满 (%1 点), 丢弃最旧的点</source>
        <translation>The InfluxDB queue is full (%1 points): dropping the oldest points</translation>
    </message>
    <message>
        <source>InfluxDB 拒绝了 %1 点 (格式错误, 不再发送): %2</source>
        <translation>InfluxDB refused %1 points (malformed, not sent again): %2</translation>
    </message>
    <message>
        <source>InfluxDB 可以写入了 (队列中还有 %1 点)</source>
        <translation>InfluxDB takes writes again (%1 points still in the queue)</translation>
    </message>
    <message>
        <source>InfluxDB 队列满时共丢弃了 %1 点</source>
        <translation>%1 points were dropped in all while the InfluxDB queue was full</translation>
    </message>
    <message>
        <source>InfluxDB %1 写入失败: %2 (%3 点在队列中, 稍后重试)</source>
        <translation>InfluxDB %1: write failed: %2 (%3 points in the queue, trying again later)</translation>
    </message>
    <message>
        <source>InfluxDB: 本次写入 %1 点, 队列中留下 %2 点</source>
        <translation>InfluxDB: %1 points written in this run, %2 points left in the queue</translation>
    </message>
    <message>
        <source>InfluxDB: %1, 数据库 %2, 队列 %3 (最多 %4 点)</source>
        <translation>InfluxDB: %1, database %2, queue %3 (at most %4 points)</translation>
    </message>
    <message>
        <source>用法: rd5800d [选项]
RD5800 监测服务: 轮询总线上的仪表, 发布到 MQTT 和 Prometheus, 记录到 CSV 文件。

选项 (配置文件中用同样的键, 每行 &quot;键 = 值&quot;):
  --config FILE              读取配置文件 (INI), 命令行的选项随后读取
  --adapter NAME             串口设备或网关, 例如 /dev/ttyUSB0, tcp://主机:端口, modbus-tcp://主机:端口
  --baud N                   波特率: 1200, 2400, 4800, 9600 或 19200 (默认 9600)
  --parity N|E|O             校验方式 (默认 N)
  --meter NAME=ADDRESS       一台仪表: 名称 (字母, 数字, _ 和 -) 与地址 1..247, 可重复;
                             多个适配器时写 NAME=ADDRESS@ADAPTER
  --interval SECONDS         每台仪表两次轮询之间的时间, 至少 1 秒 (默认 1 秒, 线路较慢时尽快)
  --mqtt HOST:PORT           MQTT 服务器
  --mqtt-user USER           MQTT 用户名
  --mqtt-password-file FILE  含 MQTT 密码的文件 (第一行)
  --mqtt-prefix PREFIX       MQTT 主题前缀 (默认 rd5800)
  --http [ADDRESS:PORT]      HTTP 服务: /metrics, /api/meters, /healthz (不给值时 127.0.0.1:9580)
  --record-dir DIR           每台仪表一个 CSV 文件 DIR/NAME.csv, 格式同主窗口的记录
  --influx URL               InfluxDB, 例如 http://127.0.0.1:8086 (https:// 时检查证书)
  --influx-db NAME           数据库 (1.x) 或 bucket (2.x/3.x)
  --influx-user USER         InfluxDB 1.x 用户名
  --influx-password-file FILE  含 InfluxDB 1.x 密码的文件 (第一行)
  --influx-token-file FILE   含 InfluxDB 2.x/3.x 令牌的文件 (第一行)
  --influx-measurement NAME  measurement 名称 (默认 rd5800)
  --influx-queue-size N      InfluxDB 不可用时在磁盘上保留的点数 (默认: 全部仪表 24 小时)
  --state-dir DIR            状态文件夹, InfluxDB 的队列在其中
                             (默认 $STATE_DIRECTORY, 否则 ~/.local/state/rd5800d)
  --once                     每台仪表读一次, 以 JSON 输出后结束 (有仪表未应答时退出码 1)
  --verbose                  日志更详细
  --lang zh|en               日志与消息的语言 (不给时按系统语言, C/POSIX 时为中文)
  -h, --help                 显示本说明
  --version                  显示版本

例如: rd5800d --adapter /dev/ttyUSB0 --meter main=1 --meter pump=2 --mqtt localhost:1883
      rd5800d --adapter /dev/ttyUSB0 --meter main=1 --influx http://127.0.0.1:8086 --influx-db energy
</source>
        <translation>Usage: rd5800d [options]
RD5800 monitoring service: polls the meters on the bus, publishes them to MQTT and Prometheus and records them to CSV files.

Options (the configuration file takes the same keys, one &quot;key = value&quot; a line):
  --config FILE              read a configuration file (INI); the command line is read after it
  --adapter NAME             serial device or gateway, e.g. /dev/ttyUSB0, tcp://HOST:PORT, modbus-tcp://HOST:PORT
  --baud N                   baud rate: 1200, 2400, 4800, 9600 or 19200 (default 9600)
  --parity N|E|O             parity (default N)
  --meter NAME=ADDRESS       one meter: a name (letters, digits, _ and -) and an address 1..247, repeatable;
                             with several adapters NAME=ADDRESS@ADAPTER
  --interval SECONDS         time between two polls of a meter, at least 1 s (default 1 s, or as fast as the line allows)
  --mqtt HOST:PORT           MQTT broker
  --mqtt-user USER           MQTT user name
  --mqtt-password-file FILE  file holding the MQTT password (first line)
  --mqtt-prefix PREFIX       MQTT topic prefix (default rd5800)
  --http [ADDRESS:PORT]      HTTP service: /metrics, /api/meters, /healthz (127.0.0.1:9580 without a value)
  --record-dir DIR           one CSV file per meter, DIR/NAME.csv, in the main window&apos;s recording format
  --influx URL               InfluxDB, e.g. http://127.0.0.1:8086 (the certificate is checked with https://)
  --influx-db NAME           database (1.x) or bucket (2.x/3.x)
  --influx-user USER         InfluxDB 1.x user name
  --influx-password-file FILE  file holding the InfluxDB 1.x password (first line)
  --influx-token-file FILE   file holding the InfluxDB 2.x/3.x token (first line)
  --influx-measurement NAME  measurement name (default rd5800)
  --influx-queue-size N      points kept on disk while InfluxDB is unavailable (default: 24 hours of all meters)
  --state-dir DIR            state folder, which holds the InfluxDB queue
                             (default $STATE_DIRECTORY, otherwise ~/.local/state/rd5800d)
  --once                     read every meter once, print JSON and end (exit status 1 when a meter did not answer)
  --verbose                  more detailed log
  --lang zh|en               language of the log and the messages (without it the system&apos;s; Chinese for C/POSIX)
  -h, --help                 show this help
  --version                  show the version

Example: rd5800d --adapter /dev/ttyUSB0 --meter main=1 --meter pump=2 --mqtt localhost:1883
         rd5800d --adapter /dev/ttyUSB0 --meter main=1 --influx http://127.0.0.1:8086 --influx-db energy
</translation>
    </message>
    <message>
        <source>%1: %2 的值中有 &quot; #&quot; 或 &quot; ;&quot;: 注释只能从行首开始, 请把注释写在单独一行</source>
        <translation>%1: the value of %2 holds &quot; #&quot; or &quot; ;&quot;: a comment starts only at the start of a line; put the comment on a line of its own</translation>
    </message>
    <message>
        <source>%1: %2 的值含有 NUL 字节</source>
        <translation>%1: the value of %2 holds a NUL byte</translation>
    </message>
    <message>
        <source>%1: 未知的键 %2, 是否想写 %3?</source>
        <translation>%1: unknown key %2, did you mean %3?</translation>
    </message>
    <message>
        <source>HTTP: 拒绝了 WebSocket 升级请求 (本服务不提供; 以后的不再记录)</source>
        <translation>HTTP: refused a WebSocket upgrade request (not offered; further ones are not logged)</translation>
    </message>
    <message>
        <source>rd5800d: 仪表 %1 (地址 %2, %3) 未应答
</source>
        <translation>rd5800d: meter %1 (address %2, %3) did not answer
</translation>
    </message>
    <message>
        <source>不是普通文件</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>写入记录文件 %1 失败：%2。未写入的行会计数, 可以写入时自动继续记录。</source>
        <translation>Writing the record file %1 failed: %2. Rows not written are counted; recording resumes by itself when writing works again.</translation>
    </message>
    <message>
        <source>已重新读取配置: %1 台仪表 (保留 %2 台, 新增或更改 %3 台, 移除 %4 台)</source>
        <translation>Configuration read again: %1 meters (%2 kept, %3 added or changed, %4 removed)</translation>
    </message>
    <message>
        <source>文件已有其他内容，记录不会覆盖它，请另选文件</source>
        <translation>The file holds other content; the recording will not overwrite it. Choose another file.</translation>
    </message>
    <message>
        <source>无法打开记录文件 %1：%2</source>
        <translation>Cannot open the record file %1: %2</translation>
    </message>
    <message>
        <source>无法读取配置文件 %1 (%2)</source>
        <translation>Cannot read the configuration file %1 (%2)</translation>
    </message>
    <message>
        <source>注意: 没有配置任何输出 (mqtt, http, record-dir, influx), 读数只在内存中</source>
        <translation>Note: no output is configured (mqtt, http, record-dir, influx); the readings stay in memory only</translation>
    </message>
    <message>
        <source>警告: 可打开的文件数上限 %1 低于所需的 %2 (LimitNOFILE=)</source>
        <translation>Warning: the open-file limit %1 is below the %2 needed (LimitNOFILE=)</translation>
    </message>
    <message>
        <source>警告: 密码文件 %1 其他用户也能读写 (权限 %2); 请用 chmod 640 或 600, 或用 systemd 的 LoadCredential= 传递密码</source>
        <translation>Warning: other users may read or write the password file %1 (mode %2); use chmod 640 or 600, or pass the password with systemd&apos;s LoadCredential=</translation>
    </message>
    <message>
        <source>记录文件 %1 又可以写入了, 继续记录 (至今共 %2 行未能写入)</source>
        <translation>The record file %1 can be written again; recording goes on (%2 rows not written so far)</translation>
    </message>
    <message>
        <source>适配器 %1 上没有仪表: 请用 --meter NAME=ADDRESS@%1 指定, 或去掉这个 --adapter</source>
        <translation>No meter on adapter %1: name one with --meter NAME=ADDRESS@%1, or remove this --adapter</translation>
    </message>
    <message>
        <source>重新读取配置失败, 继续使用原来的配置: %1</source>
        <translation>Reading the configuration again failed; the previous one stays in use: %1</translation>
    </message>
    <message>
        <source>设备上没有空间</source>
        <translation>No space left on device</translation>
    </message>
    <message>
        <source>超出磁盘配额</source>
        <translation>Disk quota exceeded</translation>
    </message>
    <message>
        <source>文件过大</source>
        <translation>File too large</translation>
    </message>
    <message>
        <source>输入/输出错误</source>
        <translation>Input/output error</translation>
    </message>
    <message>
        <source>只读文件系统</source>
        <translation>Read-only file system</translation>
    </message>
    <message>
        <source>权限不够</source>
        <translation>Permission denied</translation>
    </message>
    <message>
        <source>不允许的操作</source>
        <translation>Operation not permitted</translation>
    </message>
    <message>
        <source>没有那个文件或目录</source>
        <translation>No such file or directory</translation>
    </message>
    <message>
        <source>不是目录</source>
        <translation>Not a directory</translation>
    </message>
    <message>
        <source>是一个目录</source>
        <translation>Is a directory</translation>
    </message>
    <message>
        <source>打开的文件过多</source>
        <translation>Too many open files</translation>
    </message>
    <message>
        <source>系统中打开的文件过多</source>
        <translation>Too many open files in system</translation>
    </message>
    <message>
        <source>符号连接的层数过多</source>
        <translation>Too many levels of symbolic links</translation>
    </message>
    <message>
        <source>文件名过长</source>
        <translation>File name too long</translation>
    </message>
    <message>
        <source>MQTT 密码取自 systemd 凭据 %1</source>
        <translation>MQTT password taken from the systemd credential %1</translation>
    </message>
    <message>
        <source>--timeout MS 或 MS@ADAPTER: 经网关时应答的等待余量, 毫秒 (10..60000, 默认 1000), 可按适配器分别设置
</source>
        <translation>--timeout MS or MS@ADAPTER: over a gateway, how long a reply may take, in ms (10..60000, default 1000); may be set per adapter
</translation>
    </message>
    <message>
        <source>--timeout 应为 10 到 60000 之间的毫秒数, 或 毫秒数@适配器: %1</source>
        <translation>--timeout must be milliseconds from 10 to 60000, or MS@ADAPTER: %1</translation>
    </message>
    <message>
        <source>--timeout %1@%2: 没有使用这个适配器的仪表</source>
        <translation>--timeout %1@%2: no meter uses this adapter</translation>
    </message>
    <message>
        <source>(日志输出阻塞, %1 行未写出)</source>
        <translation>(log output blocked, %1 lines not written)</translation>
    </message>
    <message>
        <source>服务器不支持 MQTT 3.1.1</source>
        <translation>the broker does not support MQTT 3.1.1</translation>
    </message>
    <message>
        <source>服务器拒绝了客户端标识 (mqtt-client-id)</source>
        <translation>the broker refused the client id (mqtt-client-id)</translation>
    </message>
    <message>
        <source>服务器暂不提供服务</source>
        <translation>the broker is unavailable for now</translation>
    </message>
    <message>
        <source>用户名或密码错误</source>
        <translation>wrong user name or password</translation>
    </message>
    <message>
        <source>未获授权 (用户或客户端标识无权连接)</source>
        <translation>not authorised (the user or client id may not connect)</translation>
    </message>
    <message>
        <source>TLS 握手失败: 服务器证书未通过验证, 请检查 mqtt-cafile 和服务器地址</source>
        <translation>TLS handshake failed: the server certificate did not pass, check mqtt-cafile and the broker address</translation>
    </message>
    <message>
        <source>TLS 握手失败</source>
        <translation>TLS handshake failed</translation>
    </message>
    <message>
        <source>连接超时</source>
        <translation>connection timed out</translation>
    </message>
    <message>
        <source>无法建立连接 (服务器未运行, 地址或端口有误, 或被防火墙拦截)</source>
        <translation>cannot connect (broker not running, wrong address or port, or blocked by a firewall)</translation>
    </message>
    <message>
        <source>服务器未应答</source>
        <translation>the broker did not answer</translation>
    </message>
    <message>
        <source>连接失败</source>
        <translation>connection failed</translation>
    </message>
    <message>
        <source>
MQTT 与 Home Assistant:
  --mqtt mqtts://HOST:PORT   经 TLS 连接 (服务器证书默认受检)
  --mqtt-cafile FILE         签发服务器证书的 CA (PEM); 不给时用系统的 CA
  --mqtt-certfile FILE       客户端证书 (PEM), 与 --mqtt-keyfile FILE 一起
  --mqtt-client-id ID        MQTT 客户端标识 (默认 rd5800d-INSTANCE)
  --mqtt-qos 0|1|2           消息的 QoS (默认 1)
  --mqtt-retain true|false   状态消息是否保留 (默认 true; 状态, 在线与发现消息总是保留)
  --instance NAME            本服务的名称 (字母, 数字和 -; 默认主机名), 用于 Home Assistant 的标识
  --ha-prefix PREFIX|none    Home Assistant 发现主题前缀 (默认 homeassistant); none: 不发布发现消息
  --publish-interval SECONDS 每台仪表的状态最多每 SECONDS 秒发布一次 (默认 0: 每次轮询后)
</source>
        <translation>
MQTT and Home Assistant:
  --mqtt mqtts://HOST:PORT   connect over TLS (the server certificate is checked by default)
  --mqtt-cafile FILE         the CA that signed the server certificate (PEM); the system&apos;s CAs if not given
  --mqtt-certfile FILE       client certificate (PEM), together with --mqtt-keyfile FILE
  --mqtt-client-id ID        MQTT client id (default rd5800d-INSTANCE)
  --mqtt-qos 0|1|2           QoS of the messages (default 1)
  --mqtt-retain true|false   whether state messages are retained (default true; status, availability and discovery always are)
  --instance NAME            name of this service (letters, digits and -; default the host name), used in Home Assistant&apos;s identifiers
  --ha-prefix PREFIX|none    Home Assistant discovery prefix (default homeassistant); none: no discovery messages
  --publish-interval SECONDS publish each meter&apos;s state at most every SECONDS (default 0: after every poll)
</translation>
    </message>
    <message>
        <source>--mqtt-client-id 应为 1 到 128 个可见的 ASCII 字符</source>
        <translation>--mqtt-client-id must be 1 to 128 visible ASCII characters</translation>
    </message>
    <message>
        <source>--mqtt-qos 只接受 0, 1 或 2</source>
        <translation>--mqtt-qos accepts only 0, 1 or 2</translation>
    </message>
    <message>
        <source>--mqtt-retain 只接受 true 或 false</source>
        <translation>--mqtt-retain accepts only true or false</translation>
    </message>
    <message>
        <source>--instance 只能含字母, 数字和 - (1 到 64 个)</source>
        <translation>--instance may only contain letters, digits and - (1 to 64)</translation>
    </message>
    <message>
        <source>--ha-prefix 应为 MQTT 主题前缀 (不含 #, + 或空白) 或 none</source>
        <translation>--ha-prefix must be an MQTT topic prefix (without #, + or white space) or none</translation>
    </message>
    <message>
        <source>--publish-interval 只接受 0 到 86400 之间的秒数</source>
        <translation>--publish-interval accepts only seconds from 0 to 86400</translation>
    </message>
    <message>
        <source>--mqtt 应为 主机:端口 或 mqtts://主机:端口, 例如 localhost:1883</source>
        <translation>--mqtt must be HOST:PORT or mqtts://HOST:PORT, e.g. localhost:1883</translation>
    </message>
    <message>
        <source>证书文件只用于 TLS: 请写 --mqtt mqtts://主机:端口</source>
        <translation>Certificate files are for TLS only: write --mqtt mqtts://HOST:PORT</translation>
    </message>
    <message>
        <source>--mqtt-certfile 与 --mqtt-keyfile 需要一起给出</source>
        <translation>--mqtt-certfile and --mqtt-keyfile must be given together</translation>
    </message>
</context>
</TS>
