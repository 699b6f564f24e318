<?xml version="1.0" encoding="windows-1251"?>
<Orvanta_config>
  <Проект Name="Loop" DeviceFile="Test.dev" ConfigFileType="2"/>
  <Заголовок Name="Петля"/>
  <Схема Name="Sheet" Width="65535" Height="3">
    <Блок Name="A" DescriptionPath="\Struct\Fbd.xml/FBD/Логика/NOT" Left="1" Top="0"><Данные In="1" Out="2"/></Блок>
    <Блок Name="B" DescriptionPath="\Struct\Fbd.xml/FBD/Логика/NOT" Left="9" Top="0" Priority="3"><Данные In="2" Out="1"/></Блок>
    <Соединение PointA="1" PointB="131073"/>
  </Схема>
</Orvanta_config>
